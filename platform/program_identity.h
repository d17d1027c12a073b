// The running program's folder and its instance name (its file name without extension). Every
// copy of the executable under another name is another instance with its own settings.
#pragma once

#include <string>
#include <string_view>

namespace kovalt::platform {

struct ProgramIdentity {
    std::wstring folder;        // no trailing separator, except at a drive root ("C:\")
    std::wstring instanceName;  // "WATCH1" for ...\WATCH1.exe
};

// Splits a full executable path; portable, so it is tested natively.
ProgramIdentity identityFromPath(std::wstring_view executablePath);

#ifdef _WIN32
// The identity of the running executable, asked afresh at every call.
ProgramIdentity currentProgram();
#endif

}  // namespace kovalt::platform
