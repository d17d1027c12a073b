#include "platform/protect.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "settings/protected_text.h"

namespace kovalt::platform {

namespace {
// The system's output blob, given back with LocalFree.
struct OutBlob : DATA_BLOB {
    OutBlob() : DATA_BLOB{0, nullptr} {}
    OutBlob(const OutBlob&) = delete;
    OutBlob& operator=(const OutBlob&) = delete;
    ~OutBlob() { ::LocalFree(pbData); }
};

DATA_BLOB inBlob(const void* data, size_t size) {
    return {static_cast<DWORD>(size), static_cast<BYTE*>(const_cast<void*>(data))};
}
}  // namespace

std::optional<std::wstring> protect(const std::wstring& plain) {
    if (plain.empty()) return plain;
    DATA_BLOB in = inBlob(plain.data(), plain.size() * sizeof(wchar_t));
    OutBlob out;
    if (!::CryptProtectData(&in, L"kovalt", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out))
        return std::nullopt;
    return settings::protectedText(
        std::string_view(reinterpret_cast<const char*>(out.pbData), out.cbData));
}

std::optional<std::wstring> unprotect(const std::wstring& stored) {
    if (!settings::isProtected(stored)) return stored;
    const std::optional<std::string> bytes = settings::protectedBytes(stored);
    if (!bytes) return std::nullopt;
    DATA_BLOB in = inBlob(bytes->data(), bytes->size());
    OutBlob out;
    if (!::CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                              &out) ||
        out.cbData % sizeof(wchar_t))
        return std::nullopt;
    std::wstring plain(out.cbData / sizeof(wchar_t), L'\0');
    std::memcpy(plain.data(), out.pbData, out.cbData);
    // The text was protected as it stood; wipe the system's copy before it is freed.
    ::SecureZeroMemory(out.pbData, out.cbData);
    return plain;
}

}  // namespace kovalt::platform
