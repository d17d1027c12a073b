// What the settings windows switch on the running instance, and what they hear from it: the
// narrow face the watchdog and the strip show them, so that no window holds another's class.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/push_message.h"
#include "monitor/stuck_checks.h"

namespace kovalt::monitor {

// Bringing the watched program back when it stops.
struct RestartCommand {
    bool on = false;
    std::wstring command, folder;
};

class Switches {
public:
    virtual ~Switches() = default;

    // Watch for a stop. Switched on from off, a restart given up is tried again.
    virtual void startMonitoring() = 0;
    // Nothing watched; what is owed is dropped, and the line that says so returned.
    virtual std::wstring stopMonitoring() = 0;
    // Another name is watched from now on (any edit of the name box): the line that says what
    // was owed about the name before and dropped, if anything.
    virtual std::wstring watchName(const std::wstring& name) = 0;
    virtual void setRestart(RestartCommand restart) = 0;
    // The stopped alert again every `minutes` while stopped; 0: never.
    virtual void setReminderMinutes(int minutes) = 0;
    virtual void setAlwaysOnTop(bool on) = 0;
    // Sends the test e-mail's script (in place already) one try after the one on its way;
    // `done` hears "Test e-mail sent at ..." or why it was not.
    virtual void sendTest(std::function<void(bool sent, const std::wstring& text)> done) = 0;
    // The same as a push, with the settings the push window shows.
    virtual void sendTestPush(const PushConfig& config,
                              std::function<void(bool sent, const std::wstring& text)> done) = 0;
    // Whoever asked for a test is gone; the test goes on.
    virtual void forgetTest() = 0;
    // The push road and the heartbeat were set up anew in the store.
    virtual void pushSettingsChanged() = 0;
    // Writes the instance's state for Prometheus into `folder` from now on (empty: no more);
    // why the first write failed, when it did.
    virtual std::optional<std::wstring> setMetricsFolder(const std::wstring& folder) = 0;
    // The checks that the running program works, and whether a stuck one is restarted.
    virtual void setStuckChecks(const StuckSetup& setup, bool restartStuck) = 0;
    // `listener` hears each time the watched program is found running; an empty one: nobody.
    virtual void onSeenRunning(std::function<void()> listener) = 0;
};

}  // namespace kovalt::monitor
