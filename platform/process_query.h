// Asks Windows Management Instrumentation whether a process with the watched executable name
// runs. The service is bound anew at every call and everything is released before it returns.
#pragma once

#include <string>

#include "monitor/run_monitor.h"

namespace kovalt::platform {

// Needs COM initialised on the calling thread. Never throws; a failure comes back as
// ProbeOutcome::Failed with the reason in plain words.
monitor::ProbeResult checkProcessRunning(const std::wstring& name);

}  // namespace kovalt::platform
