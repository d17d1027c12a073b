#include "platform/folder_browser.h"

#include <shlobj.h>

namespace kovalt::platform {

std::optional<std::wstring> pickFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL hasPath = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!hasPath || !path[0]) return std::nullopt;
    return std::wstring(path);
}

}  // namespace kovalt::platform
