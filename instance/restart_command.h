// The command that brings the watched program back, as the settings window checks it before
// storing it: it must start that very program, from a folder that exists.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kovalt::instance {

// The program a command line starts, split as Windows splits it: the quoted text up to the
// next quote, or the text up to the first blank. Nothing when there is none or a quote is left
// open.
std::optional<std::wstring> programOf(const std::wstring& commandLine);

// Whether two names are the same in any case, as Windows compares file names.
bool sameIgnoringCase(const std::wstring& a, const std::wstring& b);

// Why `command`, started in `folder`, cannot bring back `watchedName`, in words for the user;
// nothing when it can.
std::optional<std::wstring> restartProblem(
    const std::wstring& command, const std::wstring& folder, const std::wstring& watchedName,
    const std::function<bool(const std::wstring&)>& folderExists);

}  // namespace kovalt::instance
