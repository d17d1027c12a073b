// The programs Windows starts when the user logs on: text values under a key of
// HKEY_CURRENT_USER, by default Software\Microsoft\Windows\CurrentVersion\Run.
#pragma once

#include <optional>
#include <string>

#include "platform/result.h"

namespace kovalt::platform {

inline constexpr wchar_t kLogonRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's text; nothing when it is absent (or not text), with the error when the key
// could not be read.
std::optional<std::wstring> readLogonRun(const std::wstring& key, const std::wstring& name,
                                         Result* error = nullptr);
Result writeLogonRun(const std::wstring& key, const std::wstring& name, const std::wstring& text);
// Removes the value; an absent one is no error.
Result removeLogonRun(const std::wstring& key, const std::wstring& name);

}  // namespace kovalt::platform
