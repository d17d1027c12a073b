#include "platform/registry_store.h"

#include <windows.h>

#include "platform/win_handles.h"

namespace kovalt::platform {

std::wstring RegistryStore::keyPath(std::wstring_view application,
                                    std::wstring_view section) const {
    std::wstring path = root_;
    path += L'\\';
    path += application;
    path += L'\\';
    path += section;
    return path;
}

namespace {
// An absent key or value is no error: the setting reads as its default.
settings::ReadResult absentOr(LSTATUS status) {
    return {std::nullopt,
            {status == ERROR_FILE_NOT_FOUND ? 0ul : static_cast<unsigned long>(status)}};
}
}  // namespace

settings::ReadResult RegistryStore::read(std::wstring_view application, std::wstring_view section,
                                         std::wstring_view key) {
    return readRegistryText(keyPath(application, section), std::wstring(key));
}

settings::ReadResult readRegistryText(const std::wstring& keyPath, const std::wstring& name) {
    UniqueKey hkey;
    LSTATUS status =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, hkey.put());
    if (status != ERROR_SUCCESS) return absentOr(status);
    std::wstring value;
    // The value may change size between the two calls; ask again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, bytes = 0;
        status = ::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
        if (status != ERROR_SUCCESS) return absentOr(status);
        // Only text is a setting; a number or binary value left by something else reads as
        // absent, so the key's default applies.
        if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
        value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(value.data()), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return absentOr(status);
        if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
        value.resize(size / sizeof(wchar_t));
        // Stored text ends at its first NUL, as every reader of these values sees it.
        if (auto nul = value.find(L'\0'); nul != std::wstring::npos) value.resize(nul);
        return {value, {}};
    }
    return absentOr(ERROR_MORE_DATA);
}

Result RegistryStore::save(std::wstring_view application, std::wstring_view section,
                           std::wstring_view key, std::wstring_view value) {
    UniqueKey hkey;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(application, section).c_str(), 0,
                                       nullptr, 0, KEY_SET_VALUE, nullptr, hkey.put(), nullptr);
    if (status != ERROR_SUCCESS) return {static_cast<unsigned long>(status)};
    const std::wstring name(key);
    const std::wstring text(value);
    status = ::RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    return {static_cast<unsigned long>(status)};
}

}  // namespace kovalt::platform
