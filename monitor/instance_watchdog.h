// The watchdog as this program runs it, on an instance's context: the e-mail and push roads,
// the process count by the management service, the watched processes held and restarted, the
// heartbeat and the checks that the program works asked over the network off the window thread.
#pragma once

#include "monitor/email_road.h"
#include "monitor/held_processes.h"
#include "monitor/push_road.h"
#include "monitor/watchdog.h"
#include "platform/instance_context.h"

namespace kovalt::monitor {

class InstanceWatchdog {
public:
    InstanceWatchdog(const platform::InstanceContext& context, InstanceState& state);
    InstanceWatchdog(const InstanceWatchdog&) = delete;
    InstanceWatchdog& operator=(const InstanceWatchdog&) = delete;

    Watchdog& operator*() { return watchdog_; }
    Watchdog* operator->() { return &watchdog_; }
    EmailRoad& email() { return email_; }

private:
    HeldProcesses held_;
    EmailRoad email_;
    PushRoad push_;
    Watchdog watchdog_;
};

}  // namespace kovalt::monitor
