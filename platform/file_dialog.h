// The platform's file-open dialog.
#pragma once

#include <optional>
#include <string>

#include "platform/instance_context.h"

namespace kovalt::platform {

// Shows the dialog modal over `owner` with an empty file name. Returns the chosen file's name
// without its folder, or nothing when the user cancelled.
std::optional<std::wstring> pickFileToOpen(HWND owner, const FileDialogRequest& request);

}  // namespace kovalt::platform
