#include "platform/folder_browser.h"

#include <shlobj.h>

#include "platform/win_handles.h"

namespace kovalt::platform {

std::optional<std::wstring> pickFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    const SystemLibrary shell(L"shell32.dll");
    auto browse = shell.get<PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*)>("SHBrowseForFolderW");
    auto pathOf = shell.get<BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, wchar_t*)>("SHGetPathFromIDListW");
    if (!browse || !pathOf) return std::nullopt;
    PIDLIST_ABSOLUTE chosen = browse(&info);
    if (!chosen) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL hasPath = pathOf(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!hasPath || !path[0]) return std::nullopt;
    return std::wstring(path);
}

}  // namespace kovalt::platform
