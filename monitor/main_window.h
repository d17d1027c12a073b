// KOVALT_MAIN: the strip. It shows the instance's display name, the run light and the settings
// button, keeps itself above other windows, and keeps the watchdog's timers; what the light says
// comes from the watchdog. The settings windows switch the instance through it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/instance_state.h"
#include "monitor/switches.h"
#include "monitor/watchdog.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::monitor {

class MainWindow final : public ui::Window, public Switches {
public:
    enum ControlId { TLV_BUTTON = 101, TLV_TITLE_2, RUN_LIGHT_LABEL };
    static constexpr const wchar_t* kClassName = L"KOVALT_MAIN";

    MainWindow(const platform::InstanceContext& context, InstanceState& state, Watchdog& watchdog);

    // Creates the window, runs its load and shows it without taking the focus from others.
    platform::Result open(int showCommand = SW_SHOWNOACTIVATE);
    // Started by Windows at logon: the first check waits for the set delay.
    void setStartedAtLogon(bool atLogon) { atLogon_ = atLogon; }
    // What the settings button opens, given by the program (modal over the strip): returns
    // when it has closed, or why it could not open.
    std::function<platform::Result()> openSettings;

    HWND runLight() const { return control(RUN_LIGHT_LABEL); }
    ui::Timer& alwaysOnTopTimer() { return AlwaysOnTopTimer_; }
    ui::Timer& processRunningTimer() { return PROCESS_RUNNING_TIMER_; }
    ui::Timer& processStoppedTimer() { return PROCESS_STOPPED_TIMER_; }

    // What the settings windows switch.
    void startMonitoring() override;
    std::wstring stopMonitoring() override { return watchdog_.stopMonitoring(); }
    std::wstring watchName(const std::wstring& name) override { return watchdog_.watchName(name); }
    void setRestart(RestartCommand restart) override { watchdog_.setRestart(std::move(restart)); }
    void setReminderMinutes(int minutes) override { watchdog_.setReminderMinutes(minutes); }
    void setAlwaysOnTop(bool on) override { AlwaysOnTopTimer_.setEnabled(on); }
    void sendTest(std::function<void(bool, const std::wstring&)> done) override {
        watchdog_.sendTest(std::move(done));
    }
    void sendTestPush(const PushConfig& config,
                      std::function<void(bool, const std::wstring&)> done) override {
        watchdog_.sendTestPush(config, std::move(done));
    }
    void forgetTest() override { watchdog_.forgetTest(); }
    void pushSettingsChanged() override { watchdog_.reloadRoads(); }
    std::optional<std::wstring> setMetricsFolder(const std::wstring& folder) override {
        return watchdog_.setMetricsFolder(folder);
    }
    void setStuckChecks(const StuckSetup& setup, bool restartStuck) override {
        watchdog_.setStuckChecks(setup, restartStuck);
    }
    void onSeenRunning(std::function<void()> listener) override {
        watchdog_.seenRunning = std::move(listener);
    }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void AlwaysOnTopTimer_Timer();
    void PROCESS_RUNNING_TIMER_Timer() { watchdog_.monitorTick(MonitorTimer::Running); }
    void PROCESS_STOPPED_TIMER_Timer() { watchdog_.monitorTick(MonitorTimer::Stopped); }
    void ALERT_TIMER_Timer() { watchdog_.alertTick(); }
    void TLV_BUTTON_Click();

protected:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    // The timers and the light as the watchdog now wants them.
    void refresh();
    void showRunLight();

    const platform::InstanceContext& context_;
    InstanceState& state_;
    Watchdog& watchdog_;
    bool atLogon_ = false;
    bool settingsOpen_ = false;
    std::optional<Watchdog::Shown> shown_;  // what the run light shows since the last change

    ui::Timer AlwaysOnTopTimer_;
    ui::Timer PROCESS_RUNNING_TIMER_;
    ui::Timer PROCESS_STOPPED_TIMER_;
    ui::Timer ALERT_TIMER_;
};

}  // namespace kovalt::monitor
