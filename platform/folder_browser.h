// The platform's folder browser.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kovalt::platform {

// Shows the folder browser modal over `owner` with the given title; only file-system folders
// can be confirmed. The chosen folder's path (a drive root with its backslash), or nothing
// when the user cancelled or the choice has no path.
std::optional<std::wstring> pickFolder(HWND owner, const std::wstring& title);

}  // namespace kovalt::platform
