// The run-state monitor's decisions: which of its two timers is on, what the run light shows,
// and which alert script a tick must start. The window owns the real timers and the label; it
// asks this class what to do and applies the answer.
#pragma once

#include <string>

#include "monitor/alert_kind.h"
#include "platform/process_query.h"
#include "platform/ui/colour.h"

namespace kovalt::monitor {

using platform::ProbeOutcome;

enum class MonitorTimer { Running, Stopped };

enum class RunLook { Initial, Running, Stopped, NotMonitoring, NoCheck, Stuck };

struct RunLight {
    RunLook look = RunLook::Initial;
    std::wstring tooltip;  // empty: no tooltip
};

// Caption and colours of each look.
struct LookStyle {
    const wchar_t* caption;
    ui::Colour background;
    ui::Colour text;
};
LookStyle styleOf(RunLook look);

class RunMonitor {
public:
    bool runningTimerOn() const { return runningTimer_; }
    bool stoppedTimerOn() const { return stoppedTimer_; }
    const RunLight& light() const { return light_; }

    // Watch for a stop. The other timer and the run light are left as they are, so starting
    // while already watching for a start leaves both timers on; whichever ticks first decides.
    void start() { runningTimer_ = true; }
    // Both timers off, the not-monitoring look.
    void stop();
    // Watch for a start instead: at start-up, when the alert owed from before says STOPPED.
    void watchForStart() {
        runningTimer_ = false;
        stoppedTimer_ = true;
    }
    // Start-up with monitoring disabled: the running timer off, nothing else touched.
    void disableAtLoad() { runningTimer_ = false; }

    // One tick of one timer with the probe's answer for the watched name (and why it failed, in
    // plain words). Sets the run light and the timers, and returns the alert to start now. A
    // tick whose check failed changes no timer and starts no alert: the light shows that it
    // cannot see the process and says why, and the next tick simply tries again. `stuck`, when
    // not empty, says which check finds the running program stuck: it reads STUCK, and going
    // into that state or out of it again is a change too.
    AlertKind tick(MonitorTimer timer, const std::wstring& watchedName, ProbeOutcome outcome,
                   const std::wstring& failure = {}, const std::wstring& stuck = {});

private:
    void show(RunLook look, std::wstring status);

    bool runningTimer_ = false;
    bool stoppedTimer_ = false;
    bool stuck_ = false;
    RunLight light_;
};

}  // namespace kovalt::monitor
