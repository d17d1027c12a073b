// Files and folders.
#pragma once

#include <string>

namespace kovalt::platform {

struct FileResult {
    bool ok = false;
    std::wstring reason;  // the system's words, when not ok
};

// Makes one folder (only the last part of the path). A folder that is already there counts as
// made; a file of that name in the way does not.
FileResult makeFolder(const std::wstring& path);

}  // namespace kovalt::platform
