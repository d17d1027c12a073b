// The watchdog: what watches the program and tells of it, apart from any window. Driven by the
// strip's timers and by the end of a held process, it runs the run-state monitor, holds the
// watched processes (with restarts on), restarts the program, and sends every alert down each
// of its roads, each with its own queue, tries again and what is owed across a close. It tells
// one listener that something changed; the strip shows what it says.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/alert_queue.h"
#include "monitor/alert_road.h"
#include "monitor/heartbeat.h"
#include "monitor/push_message.h"
#include "monitor/instance_state.h"
#include "monitor/metrics_text.h"
#include "monitor/restart_policy.h"
#include "monitor/run_monitor.h"
#include "monitor/stuck_checks.h"
#include "monitor/switches.h"
#include "monitor/tooltip_text.h"
#include "settings/settings_store.h"

namespace kovalt::monitor {

// Whether the watched program runs, as a check sees it: the process count is the first.
struct CheckAnswer {
    ProbeOutcome outcome = ProbeOutcome::NotFound;
    std::optional<std::vector<unsigned long>> ids;  // every matching process, when asked for
    std::wstring why;                               // when it failed, in plain words
};

// The processes of the watched name, held so that their end is seen the moment it comes.
class ProcessHold {
public:
    virtual ~ProcessHold() = default;
    // Holds these processes of `name` (as a count found them) and lets go of any other.
    virtual void hold(const std::wstring& name, const std::vector<unsigned long>& ids) = 0;
    // Every process of `name` the last count found is held, and none has ended.
    virtual bool allStillHeld(const std::wstring& name) const = 0;
    // Every process the last count found was held, and all of them have ended.
    virtual bool allEnded() const = 0;
    virtual void release() = 0;
    // Set by the watchdog: a held process has ended.
    std::function<void()> ended;
};

// What the watchdog asks of the world; the program gives the real ones, tests stand-ins.
struct WatchdogServices {
    std::function<Seconds()> now;
    ClockText clock;
    // A failure in plain words: the program's own when it has them, else the system's.
    std::function<std::wstring(const platform::Result&)> describe;
    // The instance's settings, under the name the executable has now.
    std::function<settings::InstanceSettings()> settings;
    std::function<CheckAnswer(const std::wstring& name, bool withIds)> check;
    ProcessHold* hold = nullptr;
    // Starts the restart command (its process held from then on); why not, when it cannot.
    std::function<std::optional<std::wstring>(const std::wstring& command,
                                              const std::wstring& folder)>
        startProgram;
    // The lock one program's restarts are made under: nothing while another copy holds it.
    std::function<std::shared_ptr<void>(const std::wstring& name)> restartLock;
    // For the metrics file: the time of day in seconds since 1970, the program's version, and
    // a whole file put in place (a reader sees the old or the new) or removed.
    std::function<double()> wallClock;
    std::wstring version;
    std::function<platform::Result(const std::wstring& path, const std::string& bytes)> writeFile;
    std::function<void(const std::wstring& path)> removeFile;
    // The looks of the stuck checks. Those that may hang report back later, from the message
    // loops, and go on until what they return is let go of; the others answer at once.
    std::function<std::shared_ptr<void>(const std::wstring& path,
                                        std::function<void(const platform::FileSeen&)>)>
        lookAtFile;  // may answer before it returns
    std::function<std::shared_ptr<void>(const platform::Address&,
                                        std::function<void(const platform::AddressAnswer&)>)>
        askAddress;
    std::function<platform::CpuSeen(const std::vector<unsigned long>& ids)> cpuTimes;
    std::function<platform::WindowsSeen(const std::vector<unsigned long>& ids)> windows;
    // Ends a stuck program: its windows are asked to close, and what is left is ended later.
    std::function<void(const std::vector<unsigned long>& ids)> endProgram;
    // The heartbeat: a URL asked (GET) off the window thread, `done` told how it went; and a
    // stored token or URL read back (nothing when it cannot be, on another account or PC).
    std::function<std::shared_ptr<void>(const std::wstring& url,
                                        std::function<void(bool ok, const std::wstring& why)>)>
        ping;
    std::function<std::optional<std::wstring>(const std::wstring& stored)> unprotect;
    // The push road's test goes with what its window shows.
    std::function<void(const PushConfig& config)> testPushWith;
};

class Watchdog {
public:
    Watchdog(WatchdogServices services, InstanceState& state);

    // A road the alerts go by, what is owed on it kept under `owedKey`. The first is e-mail.
    void addRoad(AlertRoad& road, const settings::SettingKey& owedKey);

    // At start, once the hidden fields are loaded: the waits, what was owed at the last close
    // (sent again first), and monitoring as stored. `atLogon`: the first check waits for the
    // delay set for a start with Windows.
    void load(bool atLogon);
    // The strip closes: tries on their way finish on their own where they can.
    void close();

    void monitorTick(MonitorTimer timer) { tick(timer, false); }
    // Watches the alerts on their way: what the tries came to, tries again, reminders.
    void alertTick();

    // What the settings windows switch (the strip passes them on).
    void startMonitoring();
    std::wstring stopMonitoring();
    std::wstring watchName(const std::wstring& name);
    void setRestart(RestartCommand restart);
    void setReminderMinutes(int minutes);
    void sendTest(std::function<void(bool sent, const std::wstring& text)> done);
    void sendTestPush(const PushConfig& config,
                      std::function<void(bool sent, const std::wstring& text)> done);
    void forgetTest();
    // The roads and the heartbeat read their settings again (after their window's OK); what
    // is owed on a road no longer set up is dropped.
    void reloadRoads();
    // Writes the state for Prometheus into `folder` from now on (empty: no more, and the file
    // there goes); why the first write failed, when it did.
    std::optional<std::wstring> setMetricsFolder(const std::wstring& folder);
    // The checks that the running program works (none set up: no light ever reads STUCK), and
    // whether a stuck program is ended and started again (with the restart's command).
    void setStuckChecks(const StuckSetup& setup, bool restartStuck);

    // The timers the strip keeps for it.
    bool runningTimerOn() const { return monitor_.runningTimerOn(); }
    bool stoppedTimerOn() const { return monitor_.stoppedTimerOn(); }
    unsigned checkIntervalMs() const { return firstCheckMs_ ? firstCheckMs_ : 1000; }
    bool alertTimerOn() const;

    // What the run light shows: its look, its tooltip, and whether something failed (an alert
    // not sent, a restart that failed or was given up): the caption's " !".
    struct Shown {
        RunLook look;
        std::wstring tooltip;
        bool failed;
    };
    Shown shown() const;

    std::function<void()> changed;      // what the strip shows, or its timers, changed
    std::function<void()> seenRunning;  // the watched program was found running

private:
    struct Road {
        AlertRoad* road;
        const settings::SettingKey* owedKey;
        AlertQueue queue;
        std::optional<int> tryId;  // the try on its way
        std::wstring kept;         // what the store holds of what is owed
        std::function<void(bool, const std::wstring&)> testDone;
        long long sent = 0, failed = 0;  // tries ended since the start, for the metrics
    };

    // `seenEnding`: every copy held has just ended, which is a stop whatever a count says now.
    void tick(MonitorTimer timer, bool seenEnding);
    void sendTest(Road& r, std::function<void(bool sent, const std::wstring& text)> done);
    // Pings the heartbeat's URL when it calls for it.
    void heartbeatTick();
    // Looks at the running program as the stuck checks ask; which check finds it stuck.
    std::wstring lookForStuck(const std::optional<std::vector<unsigned long>>& ids);
    void stopLookingForStuck();
    void restartIfDue();
    void start(Road& r, AlertQueue::Next next);
    void restore(Road& r, const Owed& owed);
    void keepOwed(Road& r);
    void tellTestOutcome(Road& r);
    void dropOwed(const std::wstring& why, bool afresh, std::wstring& note);
    void notify();
    // The metrics file, when it is due: at every change of what it says but the time of the
    // last check, and every so often all the same.
    void writeMetrics(bool closing = false);
    MetricsState metricsState(bool closing) const;

    WatchdogServices services_;
    InstanceState& state_;
    std::vector<Road> roads_;
    RunMonitor monitor_;
    bool ticking_ = false;
    unsigned firstCheckMs_ = 0;               // the first check after a start with Windows, then 0
    std::optional<Seconds> reminderSeconds_;  // the hidden key, in place of the minutes
    Seconds stableSeconds_ = 30;
    std::wstring keptNote_;  // why what was kept could not be read, until the next change
    RestartCommand restart_;
    RestartPolicy restarts_;
    long long restartsMade_ = 0;
    StuckSetup stuckSetup_;
    StuckChecks stuck_;
    bool restartStuck_ = false;
    long long stuckRestart_ = -1;                  // the restart made after ending a stuck program
    std::shared_ptr<void> fileLook_, addressTry_;  // looks on their way
    std::optional<Heartbeat> heartbeat_;
    std::shared_ptr<void> ping_;  // on its way
    RunLook lastLook_ = RunLook::Initial;
    double lastChange_ = 0, lastCheck_ = 0;
    std::wstring metricsFolder_;
    std::string metricsWritten_;  // without the time of the last check
    Seconds metricsAt_ = 0, metricsEvery_ = 15;
    std::wstring metricsNote_;    // why the last write failed, until one succeeds
    std::wstring heartbeatNote_;  // why there is no heartbeat though a URL is stored
};

}  // namespace kovalt::monitor
