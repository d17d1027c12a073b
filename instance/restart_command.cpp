#include "instance/restart_command.h"

#include <algorithm>
#include <cwctype>

namespace kovalt::instance {

namespace {
bool blank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring folded(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}
}  // namespace

bool sameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return folded(a) == folded(b);
}

std::optional<std::wstring> programOf(const std::wstring& commandLine) {
    const auto start = std::find_if_not(commandLine.begin(), commandLine.end(), blank);
    if (start == commandLine.end()) return std::nullopt;
    if (*start == L'"') {
        const auto close = std::find(start + 1, commandLine.end(), L'"');
        if (close == commandLine.end() || close == start + 1) return std::nullopt;
        return std::wstring(start + 1, close);
    }
    return std::wstring(start, std::find_if(start, commandLine.end(), blank));
}

std::optional<std::wstring> restartProblem(
    const std::wstring& command, const std::wstring& folder, const std::wstring& watchedName,
    const std::function<bool(const std::wstring&)>& folderExists) {
    const std::optional<std::wstring> program = programOf(command);
    if (!program)
        return command.find(L'"') == std::wstring::npos
                   ? L"The restart command is empty: give the command that starts " + watchedName +
                         L"."
                   : L"The restart command has a quote that is not closed.";
    std::wstring file = program->substr(program->find_last_of(L"\\/") + 1);
    // Windows adds ".exe" to a program named without an ending.
    const bool ending = file.find(L'.') != std::wstring::npos;
    if (!ending) file += L".exe";
    if (!sameIgnoringCase(file, watchedName)) {
        std::wstring problem = L"The restart command starts " + file + L", not the watched " +
                               watchedName + L", so it could not bring it back.";
        // "C:\Program Files\..." unquoted starts "C:\Program".
        if (!ending && command.find(L'"') == std::wstring::npos)
            problem += L" Put a program path with blanks in double quotes.";
        return problem;
    }
    if (folder.empty()) return L"\"Start in\" is empty: give the folder the program starts in.";
    if (!folderExists(folder)) return L"The \"Start in\" folder " + folder + L" does not exist.";
    return std::nullopt;
}

}  // namespace kovalt::instance
