// The run light's tooltip lines about what the watchdog did: the last alert of a road and the
// restarts, in the words the user reads. `clock` turns a moment into the time of day shown.
#pragma once

#include <functional>
#include <string>

#include "monitor/alert_queue.h"
#include "monitor/restart_policy.h"

namespace kovalt::monitor {

using ClockText = std::function<std::wstring(Seconds)>;

// "STOPPED alert sent 14:03:22", or why not and when it is tried again; `road` names a road
// other than the e-mail ("push"), `whereToLook` is where the user finds more (the mailer's log).
std::wstring alertsLine(const AlertsShown& shown, const ClockText& clock,
                        const std::wstring& road = {}, const std::wstring& whereToLook = {});

// "Test e-mail sent at 14:03:22", or "Test e-mail not sent: " and why (and where to look).
std::wstring testLine(const AlertQueue::TestOutcome& outcome, const ClockText& clock,
                      const std::wstring& road = {}, const std::wstring& whereToLook = {});

// "restarted at 14:03:22 (1 of 5)", why a restart failed, or that restarts were given up.
std::wstring restartLine(const RestartPolicy::Shown& shown, const ClockText& clock);

}  // namespace kovalt::monitor
