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

// The name of the object that the running copy of an instance holds in the user's session
// (Local\KOVALT-...), from the instance name with its case already folded. Past "Local\" such a
// name may hold no backslash, and MAX_PATH characters at most, while an instance name is any file
// name: letters, digits and "-_." are kept for the reader, the rest becomes "_", and a hash of
// the whole name keeps apart the names that differ only in what was dropped or cut.
std::wstring instanceLockName(std::wstring_view foldedInstanceName);
// The same for the lock held while a watched program is restarted ("Local\KOVALT-RESTART-..."),
// from its file name with its case already folded.
std::wstring restartLockName(std::wstring_view foldedProgramName);

#ifdef _WIN32
// The identity of the running executable, and its full path, asked afresh at every call.
ProgramIdentity currentProgram();
std::wstring currentExecutable();
#endif

}  // namespace kovalt::platform
