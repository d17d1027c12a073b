// Acts on the running program from outside, as a user would, for harness.py:
//   kovalt_driver.exe click CLASS CAPTION ID       presses a button of a window
//   kovalt_driver.exe text CLASS CAPTION ID TEXT   waits until a control shows TEXT (a TEXT
//                                                  ending in "*": text that begins so)
//   kovalt_driver.exe process NAME                 waits until a process of that name runs
//   kovalt_driver.exe close CLASS CAPTION          closes a window as its close box would
//   kovalt_driver.exe settext CLASS CAPTION ID TEXT  gives a text box TEXT, as typing it would
// CAPTION "*" takes any window of the class. Each waits up to 30 s; exit code 0 when done.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "platform/win_handles.h"

namespace {
HWND control(const wchar_t* cls, const wchar_t* caption, const wchar_t* id) {
    HWND window = ::FindWindowW(cls, std::wstring(caption) == L"*" ? nullptr : caption);
    if (!window || !::IsWindowVisible(window)) return nullptr;
    return ::GetDlgItem(window, static_cast<int>(std::wcstol(id, nullptr, 10)));
}

std::wstring textOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

bool processRuns(const wchar_t* name) {
    const kovalt::platform::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    bool found = false;
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more && !found;
         more = ::Process32NextW(snapshot.get(), &entry))
        found = ::lstrcmpiW(entry.szExeFile, name) == 0;
    return found;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    for (const ULONGLONG end = ::GetTickCount64() + 30000; ::GetTickCount64() < end; ::Sleep(100)) {
        if (command == L"process" && argc == 3 && processRuns(argv[2])) return 0;
        if (command == L"close" && argc == 4) {
            HWND window = ::FindWindowW(argv[2], std::wstring(argv[3]) == L"*" ? nullptr : argv[3]);
            if (window && ::PostMessageW(window, WM_CLOSE, 0, 0)) return 0;
        }
        HWND found = argc >= 5 ? control(argv[2], argv[3], argv[4]) : nullptr;
        if (command == L"click" && found && ::IsWindowEnabled(::GetParent(found))) {
            // Posted, not sent: the click may open a modal window that stays open. A tick box
            // is clicked itself, so that it turns on or off as under the mouse.
            if ((::GetWindowLongW(found, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
                ::PostMessageW(found, BM_CLICK, 0, 0);
            else
                ::PostMessageW(::GetParent(found), WM_COMMAND,
                               MAKEWPARAM(::GetDlgCtrlID(found), BN_CLICKED),
                               reinterpret_cast<LPARAM>(found));
            return 0;
        }
        if (command == L"settext" && argc == 6 && found) {
            ::SendMessageW(found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]));
            return 0;
        }
        if (command == L"text" && argc == 6 && found) {
            const std::wstring want = argv[5], shown = textOf(found);
            if (want.ends_with(L"*") ? shown.starts_with(want.substr(0, want.size() - 1))
                                     : shown == want)
                return 0;
        }
    }
    return 1;
}
