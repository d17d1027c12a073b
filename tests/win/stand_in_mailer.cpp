// Stands in for SendEmail.exe: writes the arguments it received, one per line in UTF-8, to
// args.txt beside itself (in one step), so a test sees exactly what a script handed the mailer.
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
    return kovalt::platform::replaceFile(args, utf8).ok() ? 0 : 1;
}
