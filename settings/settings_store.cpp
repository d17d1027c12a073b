#include "settings/settings_store.h"

#include "settings/value_text.h"

namespace kovalt::settings {

ReadResult MemoryStore::read(std::wstring_view application, std::wstring_view section,
                             std::wstring_view key) {
    auto it = values_.find({std::wstring(application), std::wstring(section), std::wstring(key)});
    if (it == values_.end()) return {};
    return {it->second, {}};
}

Result MemoryStore::save(std::wstring_view application, std::wstring_view section,
                         std::wstring_view key, std::wstring_view value) {
    values_[{std::wstring(application), std::wstring(section), std::wstring(key)}] = value;
    return {};
}

std::wstring_view InstanceSettings::sectionOf(const SettingKey& key) const {
    return key.section == Section::Shared ? kSharedSection : std::wstring_view(instance_);
}

std::wstring InstanceSettings::text(const SettingKey& key) const {
    auto stored = store_.read(key.application, sectionOf(key), key.name).text;
    // No field can use more than a command line of cmd.exe holds; a longer value is junk and
    // would be copied into every field and line that shows it.
    constexpr size_t kLongestValue = 8191;
    if (!stored || stored->size() > kLongestValue) return std::wstring(key.defaultText);
    return std::move(*stored);
}

bool InstanceSettings::holds(const SettingKey& key) const {
    return store_.read(key.application, sectionOf(key), key.name).text.has_value();
}

bool InstanceSettings::flag(const SettingKey& key) const {
    auto value = parseNumber(text(key));
    if (!value) value = parseNumber(key.defaultText);
    return value && *value == 1.0;
}

int InstanceSettings::tickState(const SettingKey& key) const {
    auto value = parseTickState(text(key));
    return value ? *value : parseTickState(key.defaultText).value_or(0);
}

float InstanceSettings::twips(const SettingKey& key) const {
    auto value = parseTwips(text(key));
    return value ? *value : parseTwips(key.defaultText).value_or(0.0f);
}

long long InstanceSettings::seconds(const SettingKey& key) const {
    auto valid = [&](std::optional<double> v) {
        return v && *v >= 1 && *v <= static_cast<double>(key.most) &&
               *v == static_cast<long long>(*v);
    };
    auto value = parseNumber(text(key));
    if (!valid(value)) value = parseNumber(key.defaultText);
    return valid(value) ? static_cast<long long>(*value) : 1;
}

Result InstanceSettings::save(const SettingKey& key, std::wstring_view value) const {
    return store_.save(key.application, sectionOf(key), key.name, value);
}

Result InstanceSettings::saveTwips(const SettingKey& key, float twips) const {
    return save(key, formatTwips(twips));
}

}  // namespace kovalt::settings
