// Starting an instance when the user logs on to Windows: the Run value that does it, which
// names the executable and passes /startup, and how the program tells it was started so.
#pragma once

#include <string>
#include <string_view>

namespace kovalt::instance {

std::wstring logonRunName(const std::wstring& instanceName);   // "KOV-ALT <instance>"
std::wstring logonRunCommand(const std::wstring& executable);  // "\"<executable>\" /startup"
// Whether a Run value starts this very executable (paths compared in any case).
bool startsThisProgram(const std::wstring& value, const std::wstring& executable);
// Whether a command line carries /startup (in any case) after the program's own name.
bool startedAtLogon(std::wstring_view commandLine);

}  // namespace kovalt::instance
