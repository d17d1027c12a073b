#include "platform/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win_handles.h"

namespace kovalt::platform {

std::optional<std::wstring> pickFileToOpen(HWND owner, const FileDialogRequest& request) {
    // "Name|pattern|..." becomes the NUL-separated, double-NUL-terminated list Windows wants.
    std::wstring filter = request.filter;
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');

    std::vector<wchar_t> file(32768, L'\0');  // cleared: the dialog opens with no name
    std::vector<wchar_t> title(MAX_PATH, L'\0');
    OPENFILENAMEW ofn = {sizeof(ofn)};
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(title.size());
    ofn.lpstrTitle = request.title.c_str();
    ofn.lpstrDefExt = request.defaultExtension.c_str();
    // The program's current folder stays where it was.
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    const SystemLibrary comdlg(L"comdlg32.dll");
    auto getOpenFileName = comdlg.get<BOOL(WINAPI*)(OPENFILENAMEW*)>("GetOpenFileNameW");
    if (!getOpenFileName || !getOpenFileName(&ofn)) return std::nullopt;
    return std::wstring(title.data());
}

}  // namespace kovalt::platform
