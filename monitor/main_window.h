// KOVALT_MAIN: the strip that is the program. It shows the instance's display name, the run
// light and the settings button, holds the instance's working state in hidden fields that the
// other windows read and write, and runs the run-state monitor on its two timers.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "monitor/alert_queue.h"
#include "monitor/restart_policy.h"
#include "monitor/run_monitor.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::instance {
class SettingsWindow;
}

namespace kovalt::monitor {

class MainWindow final : public ui::Window {
public:
    enum ControlId { TLV_BUTTON = 101, TLV_TITLE_2, RUN_LIGHT_LABEL };
    static constexpr const wchar_t* kClassName = L"KOVALT_MAIN";

    explicit MainWindow(const platform::InstanceContext& context);

    // Creates the window, runs its load and shows it without taking the focus from others.
    platform::Result open(int showCommand = SW_SHOWNOACTIVATE);

    // Hidden fields: the instance's in-memory state, shared with the other windows.
    const std::wstring& processName() const { return processName_; }
    // Another name is watched from now on: what is owed about the one before is dropped, and
    // what the last e-mail told starts afresh. The line that says what was dropped, if anything.
    std::wstring setProcessName(std::wstring name);
    const std::wstring& runnerName() const { return runnerName_; }
    const std::wstring& runningCommand() const { return runningCommand_; }
    const std::wstring& stoppedCommand() const { return stoppedCommand_; }
    void setRunningCommand(std::wstring line) { runningCommand_ = std::move(line); }
    void setStoppedCommand(std::wstring line) { stoppedCommand_ = std::move(line); }

    ui::Timer& alwaysOnTopTimer() { return AlwaysOnTopTimer_; }
    ui::Timer& processRunningTimer() { return PROCESS_RUNNING_TIMER_; }
    ui::Timer& processStoppedTimer() { return PROCESS_STOPPED_TIMER_; }

    // Started by Windows at logon: the first check waits for the set delay.
    void setStartedAtLogon(bool atLogon) { atLogon_ = atLogon; }

    // Watch for a stop (the stopped timer and the run light are left as they are). Switched on
    // from off, a restart given up is tried again.
    void startMonitoring();
    // Both timers off and the not-monitoring look; what is owed is dropped, and the line
    // that says so returned.
    std::wstring stopMonitoring();

    // Bringing the watched program back when it stops. While on, a stop is seen the moment
    // the watched processes end, not at the next check.
    struct Restart {
        bool on = false;
        std::wstring command, folder;
    };
    void setRestart(Restart restart);
    // The stopped alert again every `minutes` while stopped; 0: never.
    void setReminderMinutes(int minutes);
    // Sends the test e-mail's script (in place already) through the alerts' road, one try
    // after the one on its way; `done` hears "Test e-mail sent at ..." or why it was not.
    void sendTest(std::function<void(bool sent, const std::wstring& text)> done);
    void forgetTest() { testDone_ = nullptr; }  // whoever asked is gone; the test goes on

    HWND runLight() const { return control(RUN_LIGHT_LABEL); }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void AlwaysOnTopTimer_Timer();
    void PROCESS_RUNNING_TIMER_Timer() { monitorTick(MonitorTimer::Running); }
    void PROCESS_STOPPED_TIMER_Timer() { monitorTick(MonitorTimer::Stopped); }
    // Watches the alerts on their way: what the running tries came to, and the tries again.
    void ALERT_TIMER_Timer();
    void TLV_BUTTON_Click();

protected:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    // `seenEnding`: every copy held has just ended, which is a stop whatever a count says now.
    void monitorTick(MonitorTimer timer, bool seenEnding = false);
    void showRunLight();
    void applyMonitorTimers();
    void startAlert(AlertQueue::Next next);
    // At start: what was owed at the last close, and its try if it is still on its way.
    void restoreOwed(const Owed& owed);
    void tellTestOutcome();
    // Keeps what is owed in the store whenever it changes; reads it back at load.
    void keepOwed();
    Owed readOwed();
    std::wstring mailerLog() const;
    // The processes of the watched name, held so that their end is seen at once.
    bool allStillHeld(const std::wstring& name) const;
    struct Held;
    static bool ended(const Held& held);
    void hold(const std::wstring& name, const std::vector<unsigned long>& ids);
    void watch(unsigned long id, platform::UniqueHandle process);
    void restartIfDue();
    // What the mailer's log gained since the try started, read a piece at a time.
    AlertQueue::Observation observeTry();

    // The try of an alert on its way: its script, and where the mailer's log stood at its
    // start. Only one runs at a time, so what the log gains meanwhile is this try's own.
    struct Try {
        int id = 0;
        platform::StartedScript script;
        long long logStart = 0, readTo = 0;
        MailerLog log;
    };

    const platform::InstanceContext& context_;
    instance::SettingsWindow* settingsWindow_ = nullptr;
    RunMonitor monitor_;
    std::optional<RunLight> shownLight_;  // what the run light shows since the last change
    std::wstring shownCaption_;
    bool ticking_ = false;
    AlertQueue alerts_;
    std::optional<Try> try_;
    std::function<void(bool, const std::wstring&)> testDone_;
    std::optional<Seconds> reminderSeconds_;  // the hidden key, in place of the minutes
    Seconds stableSeconds_ = 30;
    bool atLogon_ = false;
    bool firstCheckDelayed_ = false;
    std::wstring keptText_;  // what the store holds of what is owed
    std::wstring keptNote_;  // why what was kept could not be read, until the next change

    struct Held {
        unsigned long id;
        platform::UniqueHandle process;
        std::unique_ptr<ui::HandleWait> wait;
    };
    Restart restart_;
    RestartPolicy restarts_;
    std::vector<Held> held_;
    std::wstring heldName_;
    bool allHeld_ = false;  // every process of heldName_ the last check found is held

    std::wstring runnerName_;
    std::wstring processName_;
    std::wstring runningCommand_;
    std::wstring stoppedCommand_;

    ui::Timer AlwaysOnTopTimer_;
    ui::Timer PROCESS_RUNNING_TIMER_;
    ui::Timer PROCESS_STOPPED_TIMER_;
    ui::Timer ALERT_TIMER_;
};

}  // namespace kovalt::monitor
