#include "instance/logon_start.h"

#include <algorithm>

#include "instance/restart_command.h"

namespace kovalt::instance {

std::wstring logonRunName(const std::wstring& instanceName) { return L"KOV-ALT " + instanceName; }

std::wstring logonRunCommand(const std::wstring& executable) {
    return L"\"" + executable + L"\" /startup";
}

bool startsThisProgram(const std::wstring& value, const std::wstring& executable) {
    const std::optional<std::wstring> program = programOf(value);
    return program && sameIgnoringCase(*program, executable);
}

bool startedAtLogon(std::wstring_view line) {
    // The program's name: quoted up to the next quote, or up to the first blank.
    size_t at = line.starts_with(L'"') ? line.find(L'"', 1) : line.find_first_of(L" \t");
    if (at == std::wstring_view::npos) return false;
    line.remove_prefix(at + 1);
    for (;;) {
        const size_t start = line.find_first_not_of(L" \t");
        if (start == std::wstring_view::npos) return false;
        line.remove_prefix(start);
        const size_t end = std::min(line.find_first_of(L" \t"), line.size());
        if (sameIgnoringCase(std::wstring(line.substr(0, end)), L"/startup")) return true;
        line.remove_prefix(end);
    }
}

}  // namespace kovalt::instance
