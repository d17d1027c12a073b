// Whether a process with the watched executable name runs, as Windows Management
// Instrumentation answers it. The query text is built without the platform, so that it is
// tested natively.
#pragma once

#include <optional>
#include <string>

#include "platform/result.h"

namespace kovalt::platform {

enum class ProbeOutcome { Found, NotFound, Failed };

struct ProbeResult {
    ProbeOutcome outcome = ProbeOutcome::NotFound;
    unsigned count = 0;  // matching processes, when the check ran
    Result error;        // when it failed: the HRESULT, and the step in `what`
};

// "SELECT Name FROM Win32_Process WHERE Name='...' AND ProcessId<>N" for the watched name, N
// being the watchdog's own process, which never counts (a copy may be named like the program it
// watches). Nothing when no process can have that name (empty, longer than a file name can be,
// or holding a character no file name can hold): the process counts as not running without
// asking. A name with a single quote is put in double quotes, which the query language accepts,
// so the exact name is compared.
std::optional<std::wstring> processQueryText(const std::wstring& name, unsigned long selfId);

#ifdef _WIN32
// Needs COM initialised on the calling thread. The service is bound anew at every call and
// everything is released before it returns. Never throws.
ProbeResult checkProcessRunning(const std::wstring& name);
// Why a check failed, in plain words.
std::wstring failureText(const ProbeResult& probe);
#endif

}  // namespace kovalt::platform
