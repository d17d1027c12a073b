// The stuck checks' boxes as the settings window checks them on OK, before anything is stored.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kovalt::instance {

// What the boxes hold, as typed.
struct StuckEntries {
    std::wstring file, fileMinutes, address, addressFailures, cpuMinutes;
};

// Whether `path` is a full path: a drive letter and a separator ("C:\..."), or a share
// ("\\server\share\...").
bool isFullPath(const std::wstring& path);

// The first thing in the boxes that cannot be checked, in words for the user; nothing when
// all can. A box of a check that is off is not looked at. `isFolder` says whether a path is a
// folder.
std::optional<std::wstring> stuckProblem(const StuckEntries& typed,
                                         const std::function<bool(const std::wstring&)>& isFolder);

}  // namespace kovalt::instance
