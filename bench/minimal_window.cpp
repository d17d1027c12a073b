// The smallest windowed program built like kovalt.exe (same toolchain, same flags): one window
// of its own class with the strip's styles, shown without taking the focus at the place given
// on its command line ("left top width height", pixels), and a message loop. The baseline for
// footprint and start time.
#include <windows.h>

#include <cwchar>

namespace {
LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, msg, wp, lp);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int left = 100, top = 80, width = 176, height = 43;
    std::swscanf(commandLine, L"%d %d %d %d", &left, &top, &width, &height);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"KOVALT_BENCH_MINIMAL";
    if (!::RegisterClassExW(&windowClass)) return 1;

    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"minimal",
                                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, left, top, width,
                                    height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
