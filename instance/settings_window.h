// KOVALT_SETTINGS: where the user sets up the instance. Ticking monitoring or always-on-top
// and every edit of the watched name act on the open strip at once; OK and closing store the
// fields and bring the alert scripts to the watched name. Opened modal over the strip, created
// afresh at every opening.
#pragma once

#include <string>

#include "monitor/instance_state.h"
#include "monitor/switches.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::instance {

class SettingsWindow final : public ui::Window {
public:
    enum ControlId {
        TITLE_LABEL = 201,
        HEADING_LABEL,
        LINE_1,
        RUNNER_NAME_LABEL,
        RUNNER_NAME_TEXTBOX,
        PROCESS_NAME_LABEL,
        BROWSE_PROCESS_NAME_FILE_BUTTON,
        PROCESS_NAME_TEXTBOX,
        LINE_2,
        ENABLED_TICKBOX,
        AlwaysOnTop_TICKBOX,
        CREATE_FOLDERS_BUTTON,
        STATUS_LABEL,
        LINE_3,
        UPDATE_SETTINGS_LIGHT_TEXTBOX,
        ABOUT_BUTTON,
        VIEW_OUTPUT_COMMANDS_BUTTON,
        EMAIL_SETTINGS_BUTTON,
        OK_BUTTON,
        RESTART_TICKBOX,
        RESTART_COMMAND_LABEL,
        RESTART_COMMAND_TEXTBOX,
        RESTART_FOLDER_LABEL,
        RESTART_FOLDER_TEXTBOX,
        LINE_4,
        REMINDER_LABEL,
        REMINDER_MINUTES_TEXTBOX,
        REMINDER_UNIT_LABEL,
        START_WITH_WINDOWS_TICKBOX,
        LOGON_RUN_LABEL,
        STARTUP_DELAY_LABEL,
        STARTUP_DELAY_SECONDS_TEXTBOX,
        STARTUP_DELAY_UNIT_LABEL,
        METRICS_FOLDER_LABEL,
        METRICS_FOLDER_TEXTBOX,
        METRICS_FOLDER_FILL_BUTTON,
        PUSH_SETTINGS_BUTTON,
        STUCK_SETTINGS_BUTTON,
    };

    // Opened over `owner` (the strip); its controls act on the instance through `switches`.
    SettingsWindow(const platform::InstanceContext& context, monitor::InstanceState& state,
                   monitor::Switches& switches, HWND owner);
    ~SettingsWindow() override;

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // The watched process name as the box shows it now, saved or not.
    std::wstring processName() const { return controlText(PROCESS_NAME_TEXTBOX); }
    // The update light; the e-mail window turns it green once the alert scripts are written.
    void setUpdateLight(ui::Colour colour);
    // The strip found the watched process running: the restart boxes, while the option is
    // ticked and both are empty, take how it was started.
    void processSeenRunning();

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void ENABLED_TICKBOX_Click();
    void AlwaysOnTop_TICKBOX_Click();
    void START_WITH_WINDOWS_TICKBOX_Click();
    void RESTART_TICKBOX_Click();
    // Fills in windows_exporter's own folder for text files, when it is there.
    void METRICS_FOLDER_FILL_BUTTON_Click();
    void PUSH_SETTINGS_BUTTON_Click();
    void STUCK_SETTINGS_BUTTON_Click();
    void PROCESS_NAME_TEXTBOX_Change();
    void PROCESS_NAME_TEXTBOX_LostFocus() { setUpdateLight(ui::colours::kRed); }
    void BROWSE_PROCESS_NAME_FILE_BUTTON_Click();
    void CREATE_FOLDERS_BUTTON_Click();
    void EMAIL_SETTINGS_BUTTON_Click();
    void ABOUT_BUTTON_Click();
    void VIEW_OUTPUT_COMMANDS_BUTTON_Click();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    // Stores the position and the three fields; the first failure.
    platform::Result saveFields();
    // Rewrites the alert scripts and their stored lines from the stored e-mail settings when
    // they name a process other than the box's; why not, when they could not be.
    std::optional<std::wstring> keepAlertsNamingWatchedProcess();
    // Stores the restart option and hands it to the strip, or neither and says why.
    std::optional<std::wstring> storeRestart();
    // The reminder minutes, checked; why they were not stored.
    std::optional<std::wstring> storeReminder();
    std::optional<std::wstring> storeStartupDelay();
    std::optional<std::wstring> storeMetricsFolder();
    // The tick shows whether Windows starts this very executable at logon; when its value
    // names another, the line below says which.
    void showLogonRun();
    // An alert the strip dropped (monitoring off, another program watched), said plainly.
    void showDropped(std::wstring line);
    // All of the above: what failed, in words for the user.
    std::optional<std::wstring> storeAll();

    const platform::InstanceContext& context_;
    monitor::InstanceState& state_;
    monitor::Switches& switches_;
    HWND owner_;
    bool storedAtOk_ = false;
};

// Opens the settings window over `owner`, modal, as the strip's settings button does; returns
// when it has closed, or at once with the reason it could not open.
platform::Result showSettings(const platform::InstanceContext& context,
                              monitor::InstanceState& state, monitor::Switches& switches,
                              HWND owner);

}  // namespace kovalt::instance
