#include "platform/program_identity.h"

namespace kovalt::platform {

ProgramIdentity identityFromPath(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring_view folder =
        slash == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, slash);
    std::wstring_view file = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    // "C:" alone names the drive's current folder, not its root.
    if (folder.size() == 2 && folder[1] == L':') folder = path.substr(0, 3);
    const size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring_view::npos && dot > 0) file = file.substr(0, dot);
    return {std::wstring(folder), std::wstring(file)};
}

}  // namespace kovalt::platform
