#include "platform/win_handles.h"

#include <cwchar>

namespace kovalt::platform {

std::wstring systemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

SystemLibrary::SystemLibrary(const wchar_t* name)
    : module_(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // Windows 7 without its 2011 loader update (KB2533623) rejects the flag; the full path in
    // the system folder asks for the same DLL there.
    if (module_ || ::GetLastError() != ERROR_INVALID_PARAMETER) return;
    const std::wstring folder = systemFolder();
    if (!folder.empty())
        module_.reset(::LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr,
                                       LOAD_WITH_ALTERED_SEARCH_PATH));
}

std::wstring errorText(DWORD code, HMODULE from) {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS |
                                        (from ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                    from, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length && buffer) text.assign(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    wchar_t number[16];
    std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(code));
    return text.empty() ? std::wstring(L"error ") + number : text + L" (" + number + L")";
}

}  // namespace kovalt::platform
