// The settings store on the registry: HKEY_CURRENT_USER\<root>\<application>\<section>, one
// REG_SZ value per key, where settings written by earlier tools are found unchanged.
#pragma once

#include <string>

#include "settings/settings_store.h"

namespace kovalt::platform {

inline constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings";

class RegistryStore final : public settings::SettingsStore {
public:
    // Tests pass a scratch root of their own.
    explicit RegistryStore(std::wstring root = kSettingsRoot) : root_(std::move(root)) {}

    settings::ReadResult read(std::wstring_view application, std::wstring_view section,
                              std::wstring_view key) override;
    Result save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                std::wstring_view value) override;

    const std::wstring& root() const { return root_; }

private:
    std::wstring keyPath(std::wstring_view application, std::wstring_view section) const;

    std::wstring root_;
};

// The text value `name` of HKEY_CURRENT_USER\<keyPath>: nothing when absent or not text, with
// no error for an absent key or value.
settings::ReadResult readRegistryText(const std::wstring& keyPath, const std::wstring& name);

}  // namespace kovalt::platform
