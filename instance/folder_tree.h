// The two folders beside the executable: BATS for the alert scripts, LOGS for the mailer's logs.
#pragma once

#include <array>
#include <string>

namespace kovalt::instance {

// Program folder + "\BATS", then program folder + "\LOGS", joined as they are.
std::array<std::wstring, 2> folderTree(const std::wstring& programFolder);

// What the window shows for a folder that could not be made.
std::wstring folderProblem(const std::wstring& path, const std::wstring& reason);

}  // namespace kovalt::instance
