#include "instance/stuck_entries.h"

#include <cwctype>

#include "platform/address.h"
#include "settings/value_text.h"

namespace kovalt::instance {

namespace {
bool separator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool blankOnly(const std::wstring& text) {
    return text.find_first_not_of(L" \t") == std::wstring::npos;
}
}  // namespace

bool isFullPath(const std::wstring& path) {
    if (path.size() >= 3 && path[0] < 0x80 && std::iswalpha(path[0]) && path[1] == L':')
        return separator(path[2]);
    // "\\server\share": a server and a share, each at least one letter long.
    if (path.size() < 5 || !separator(path[0]) || !separator(path[1])) return false;
    const size_t share = path.find_first_of(L"\\/", 2);
    return share != std::wstring::npos && share > 2 && share + 1 < path.size() &&
           !separator(path[share + 1]);
}

std::optional<std::wstring> stuckProblem(const StuckEntries& typed,
                                         const std::function<bool(const std::wstring&)>& isFolder) {
    const auto whole = [](const std::wstring& text, int most) {
        return settings::parseWholeIn(text, 1, most).has_value();
    };
    if (!typed.file.empty()) {
        if (!isFullPath(typed.file))
            return L"The log file " + typed.file +
                   L" is not a full path: give it with its drive (C:\\...\\node.log) or its "
                   L"share (\\\\server\\share\\...\\node.log).";
        if (isFolder(typed.file)) return typed.file + L" is a folder: give the log file in it.";
        if (!whole(typed.fileMinutes, 1440))
            return std::wstring(
                L"Give the minutes the log may stay unchanged as a whole number from 1 to 1440.");
    }
    if (!blankOnly(typed.address)) {
        std::wstring problem;
        if (!platform::parseAddress(typed.address, &problem)) return problem;
        if (!whole(typed.addressFailures, 100))
            return std::wstring(L"Give the failures in a row as a whole number from 1 to 100.");
    }
    if (!blankOnly(typed.cpuMinutes) && !whole(typed.cpuMinutes, 1440))
        return std::wstring(
            L"Give the minutes the CPU time may stay unchanged as a whole number from 1 to 1440, "
            L"or leave it empty.");
    return std::nullopt;
}

}  // namespace kovalt::instance
