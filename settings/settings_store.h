// The per-user store of application / section / key text values, and the typed reads every
// window makes through it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/result.h"
#include "settings/setting_keys.h"

namespace kovalt::settings {

using platform::Result;

// A read: the stored text; or nothing, with `error` telling a key that is absent (or holds a
// value that is not text), which is no error, from one that could not be read.
struct ReadResult {
    std::optional<std::wstring> text;
    Result error;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual ReadResult read(std::wstring_view application, std::wstring_view section,
                            std::wstring_view key) = 0;
    // Creates what is missing and overwrites; visible to the next reader at once.
    virtual Result save(std::wstring_view application, std::wstring_view section,
                        std::wstring_view key, std::wstring_view value) = 0;
};

// A store in memory, for tests of the logic around the store.
class MemoryStore final : public SettingsStore {
public:
    ReadResult read(std::wstring_view application, std::wstring_view section,
                    std::wstring_view key) override;
    Result save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                std::wstring_view value) override;
    size_t size() const { return values_.size(); }

private:
    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values_;
};

// Reads and saves of one key of the table, for one instance.
class InstanceSettings {
public:
    InstanceSettings(SettingsStore& store, std::wstring instanceName)
        : store_(store), instance_(std::move(instanceName)) {}

    const std::wstring& instanceName() const { return instance_; }
    SettingsStore& store() const { return store_; }

    // The stored text, or the key's default.
    std::wstring text(const SettingKey& key) const;
    // Whether the store holds a value for the key (a default is not one).
    bool holds(const SettingKey& key) const;
    // A flag read outside its tick box's own window: on only when the text is the number 1.
    // Text that is not a number reads as the key's default.
    bool flag(const SettingKey& key) const;
    // A tick box's value in its own window: 0 or 1; anything else reads as the default.
    int tickState(const SettingKey& key) const;
    // A placement number in twips; text that is not a usable number reads as the default.
    float twips(const SettingKey& key) const;
    // A whole number of seconds from 1 to the key's most; anything else reads as the default.
    long long seconds(const SettingKey& key) const;

    Result save(const SettingKey& key, std::wstring_view value) const;
    Result saveTwips(const SettingKey& key, float twips) const;

private:
    std::wstring_view sectionOf(const SettingKey& key) const;

    SettingsStore& store_;
    std::wstring instance_;
};

}  // namespace kovalt::settings
