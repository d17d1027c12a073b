// Whether a process with the watched executable name runs, as Windows Management
// Instrumentation answers it. The query text is built without the platform, so that it is
// tested natively.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

#ifdef _WIN32
#include "platform/win_handles.h"
#endif

namespace kovalt::platform {

enum class ProbeOutcome { Found, NotFound, Failed };

struct ProbeResult {
    ProbeOutcome outcome = ProbeOutcome::NotFound;
    unsigned count = 0;              // matching processes, when the check ran
    Result error;                    // when it failed: the HRESULT, and the step in `what`
    std::vector<unsigned long> ids;  // their process ids, when asked for
};

// What Windows reports of a running process: how it was started, and from where.
struct ProcessDetails {
    unsigned long id = 0;
    std::wstring commandLine;
    std::wstring folder;  // of its executable; empty when Windows does not tell
};

// "SELECT Name FROM Win32_Process WHERE Name='...' AND ProcessId<>N" for the watched name, N
// being the watchdog's own process, which never counts (a copy may be named like the program it
// watches). Nothing when no process can have that name (empty, longer than a file name can be,
// or holding a character no file name can hold): the process counts as not running without
// asking. A name with a single quote is put in double quotes, which the query language accepts,
// so the exact name is compared.
// With `columns` the query asks for those instead of Name ("ProcessId", ...).
std::optional<std::wstring> processQueryText(const std::wstring& name, unsigned long selfId,
                                             const wchar_t* columns = L"Name");

#ifdef _WIN32
// Needs COM initialised on the calling thread. The service is bound anew at every call and
// everything is released before it returns. Never throws.
// With `withIds` it asks for the process ids instead of the names, and returns them.
ProbeResult checkProcessRunning(const std::wstring& name, bool withIds = false);
// The first process of the name, with its command line and its executable's folder.
std::optional<ProcessDetails> processDetails(const std::wstring& name);
// A handle that is signalled when the process ends; none when it cannot be opened (another
// user's or an elevated process) or has ended.
UniqueHandle openToWait(unsigned long id);
// Why a check failed, in plain words.
std::wstring failureText(const ProbeResult& probe);
#endif

}  // namespace kovalt::platform
