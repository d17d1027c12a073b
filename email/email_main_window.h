// KOVALT_EMAIL_MAIN_SETTINGS: the instance's mailer fields and TLS mode. While open it composes
// both mailer command lines twice a second and mirrors them into the strip; OK writes both
// alert scripts and, once both are in place, stores the fields. Opened modal over the monitor
// settings window.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "email/mail_fields_window.h"
#include "monitor/instance_state.h"
#include "monitor/switches.h"

namespace kovalt::email {

class EmailMainWindow final : public MailFieldsWindow {
public:
    enum ControlId {
        OK_BUTTON = 301,
        SHARED_SETTINGS_BUTTON,
        VIEW_OUTPUT_COMMANDS_BUTTON,
        CANCEL_BUTTON,
        SEND_TEST_EMAIL_BUTTON,
        TEST_STATUS_LABEL,
    };

    // Opened over the settings window (`owner`): the lines use the watched name as its box
    // shows it, and go into the instance's state as well; `scriptsWritten` is told once OK has
    // written the alert scripts (the settings window's update light turns green).
    EmailMainWindow(const platform::InstanceContext& context, monitor::InstanceState& state,
                    monitor::Switches& switches, HWND owner, std::function<void()> scriptsWritten);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // Hidden fields.
    const std::wstring& tlsWord() const { return tls().word(); }
    const std::wstring& runningSubject() const { return runningSubject_; }
    const std::wstring& stoppedSubject() const { return stoppedSubject_; }
    const std::wstring& runningCommand() const { return runningCommand_; }
    const std::wstring& stoppedCommand() const { return stoppedCommand_; }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void CANCEL_BUTTON_Click() { close(); }
    void SHARED_SETTINGS_BUTTON_Click();
    void VIEW_OUTPUT_COMMANDS_BUTTON_Click();
    void COMMAND_UPDATE_TIMER_Timer();
    // Sends the stopped e-mail with TEST in its place, from the fields as they stand; nothing
    // is stored.
    void SEND_TEST_EMAIL_BUTTON_Click();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    LineContext lineContext() const;
    void showTestOutcome(bool sent, const std::wstring& text);

    monitor::InstanceState& state_;
    monitor::Switches& switches_;
    HWND owner_;
    std::function<void()> scriptsWritten_;
    std::wstring runningSubject_, stoppedSubject_;
    std::wstring runningCommand_, stoppedCommand_;
    ui::Timer COMMAND_UPDATE_TIMER_;
};

}  // namespace kovalt::email
