#include "platform/files.h"

#include <windows.h>

#include "platform/win_handles.h"

namespace kovalt::platform {

Result makeFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        return {error, L"a file of that name is in the way"};
    }
    return {error};
}

Result replaceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".new";
    UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {::GetLastError()};
    DWORD written = 0;
    bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(file.get());
    DWORD error = ok ? 0 : ::GetLastError();
    file.reset();
    if (ok && !::MoveFileExW(temporary.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = ::GetLastError();
    }
    if (ok) return {};
    ::DeleteFileW(temporary.c_str());
    return {error ? error : ERROR_WRITE_FAULT};
}

long long fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string readFileFrom(const std::wstring& path, long long offset) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = offset;
    std::string bytes;
    if (!file || !::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return bytes;
    char buffer[4096];
    for (DWORD got = 0; ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got;)
        bytes.append(buffer, got);
    return bytes;
}

namespace {
// Text in the system's code page; 0 when a character has no place in it. A UTF-8 code page
// takes no flags and reports no default character.
int ansiBytes(const wchar_t* text, int length, char* out, int room) {
    const bool utf8 = ::GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, length,
                                           out, room, nullptr, utf8 ? nullptr : &usedDefault);
    return usedDefault ? 0 : size;
}
}  // namespace

std::optional<std::string> toAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = ansiBytes(text.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    ansiBytes(text.data(), length, bytes.data(), size);
    return bytes;
}

bool ansiAndOemAgree(wchar_t c) {
    // A character may take two bytes (the code pages of Chinese, Japanese and Korean systems).
    char bytes[8] = {};
    const int n = ansiBytes(&c, 1, bytes, sizeof bytes);
    wchar_t back[2] = {};
    return n > 0 && ::MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes, n, back, 2) == 1 &&
           back[0] == c;
}

}  // namespace kovalt::platform
