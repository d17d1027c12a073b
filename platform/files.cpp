#include "platform/files.h"

#include <windows.h>

#include "platform/win_handles.h"

namespace kovalt::platform {

FileResult makeFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return {true, {}};
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {true, {}};
        return {false, L"a file of that name is in the way"};
    }
    return {false, errorText(error)};
}

}  // namespace kovalt::platform
