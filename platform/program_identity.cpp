#include "platform/program_identity.h"

#include <cstdint>

namespace kovalt::platform {

ProgramIdentity identityFromPath(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring_view folder =
        slash == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, slash);
    std::wstring_view file = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    // "C:" alone names the drive's current folder, not its root.
    if (folder.size() == 2 && folder[1] == L':') folder = path.substr(0, 3);
    const size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring_view::npos && dot > 0) file = file.substr(0, dot);
    return {std::wstring(folder), std::wstring(file)};
}

namespace {
std::wstring lockName(std::wstring_view kind, std::wstring_view name) {
    constexpr size_t kReadable = 64;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the characters
    for (wchar_t c : name) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 1099511628211ull;
    }
    std::wstring lock = L"Local\\KOVALT-" + std::wstring(kind);
    for (wchar_t c : name.substr(0, kReadable)) {
        const bool kept = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                          (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' || c == L'.';
        lock += kept ? c : L'_';
    }
    lock += L'-';
    for (int shift = 60; shift >= 0; shift -= 4) lock += L"0123456789ABCDEF"[(hash >> shift) & 15];
    return lock;
}
}  // namespace

std::wstring instanceLockName(std::wstring_view name) { return lockName(L"", name); }
std::wstring restartLockName(std::wstring_view name) { return lockName(L"RESTART-", name); }

}  // namespace kovalt::platform
