#include "platform/logon_run.h"

#include <windows.h>

#include "platform/registry_store.h"
#include "platform/win_handles.h"

namespace kovalt::platform {

std::optional<std::wstring> readLogonRun(const std::wstring& key, const std::wstring& name,
                                         Result* error) {
    settings::ReadResult read = readRegistryText(key, name);
    if (error) *error = read.error;
    return std::move(read.text);
}

Result writeLogonRun(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    UniqueKey hkey;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, hkey.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    return {static_cast<unsigned long>(status)};
}

Result removeLogonRun(const std::wstring& key, const std::wstring& name) {
    UniqueKey hkey;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, hkey.put());
    if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(hkey.get(), name.c_str());
    return {status == ERROR_FILE_NOT_FOUND ? 0ul : static_cast<unsigned long>(status)};
}

}  // namespace kovalt::platform
