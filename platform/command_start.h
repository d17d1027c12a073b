// Starts a batch file as a hidden, separate process that nobody waits for.
#pragma once

#include <string>

#include "platform/result.h"

namespace kovalt::platform {

// Runs the script through "cmd.exe /d /c" with its path quoted, so a folder with blanks works
// and no other program can be started in its place. A script that does not exist is reported
// rather than handed to cmd.exe, which would fail unseen.
Result startBatchHidden(const std::wstring& scriptPath);

}  // namespace kovalt::platform
