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

std::optional<std::string> toAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    BOOL usedDefault = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                              static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          bytes.data(), size, nullptr, &usedDefault);
    return bytes;
}

bool ansiAndOemAgree(wchar_t c) {
    char byte = 0;
    BOOL usedDefault = FALSE;
    if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, &byte, 1, nullptr,
                              &usedDefault) != 1 ||
        usedDefault)
        return false;
    wchar_t back = 0;
    return ::MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, &byte, 1, &back, 1) == 1 &&
           back == c;
}

}  // namespace kovalt::platform
