// Presses a button of a running program's window from outside, as a user's click would reach
// it: kovalt_test_driver.exe WINDOW_CLASS CONTROL_ID [TIMEOUT_MS]
// Waits for an enabled top-level window of that class, then sends it the button's click.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const int id = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    const DWORD timeout = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 20000;
    const ULONGLONG end = ::GetTickCount64() + timeout;
    for (;;) {
        HWND window = ::FindWindowW(argv[1], nullptr);
        HWND button = window ? ::GetDlgItem(window, id) : nullptr;
        if (button && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            // Posted, not sent: the click may open a modal window that runs for a long time.
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            return 0;
        }
        if (::GetTickCount64() > end) return 1;
        ::Sleep(100);
    }
}
