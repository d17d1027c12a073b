// Stands in for SendEmail.exe: writes the arguments it received, one per line in UTF-8, to
// args.txt beside itself (in one step), so a test sees exactly what a script handed the mailer;
// and, as the mailer does, says in the log its -l names that the e-mail was sent.
#include <windows.h>

#include "platform/files.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring text, self(MAX_PATH * 4, L'\0');
    for (int i = 1; i < argc; ++i) text += std::wstring(argv[i]) + L"\n";
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(),
                                      int(utf8.size()), nullptr, nullptr));
    self.resize(::GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    const std::wstring args = self.substr(0, self.find_last_of(L'\\')) + L"\\args.txt";
    if (!kovalt::platform::replaceFile(args, utf8).ok()) return 1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) != L"-l") continue;
        HANDLE log = ::CreateFileW(argv[i + 1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) break;  // no LOGS folder: the exit status alone
        const char line[] = "stand-in: Email was sent successfully!\r\n";
        DWORD written = 0;
        ::WriteFile(log, line, sizeof(line) - 1, &written, nullptr);
        ::CloseHandle(log);
    }
    return 0;
}
