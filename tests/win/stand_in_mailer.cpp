// Stands in for SendEmail.exe: writes the arguments it received, one per line in UTF-8, to
// args.txt beside itself, so a test sees exactly what an alert script handed the mailer.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    std::wstring text;
    for (int i = 1; i < argc; ++i) text += std::wstring(argv[i]) + L"\n";
    wchar_t self[MAX_PATH * 4];
    DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring path(self, length);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\args.txt";
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                          bytes, nullptr, nullptr);
    // Written under another name and then renamed, so a reader never sees half of it.
    const std::wstring partial = path + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
    return ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
