// KOVALT_EMAIL_MAIN_SETTINGS: the instance's mailer fields and TLS mode. While open it composes
// both mailer command lines twice a second and mirrors them into the strip; OK stores the
// fields and writes both alert scripts. Opened modal over the monitor settings window.
#pragma once

#include <functional>
#include <string>

#include "email/command_line.h"
#include "email/tls_group.h"
#include "platform/ui/window.h"

namespace kovalt::instance {
class SettingsWindow;
}

namespace kovalt::email {

class EmailMainWindow final : public ui::Window {
public:
    enum ControlId {
        OK_BUTTON = 301,
        SHARED_SETTINGS_BUTTON,
        BROWSE_SE_HOME_FOLDER_BUTTON,
        USE_BUTTON,
        SE_HOME_TEXTBOX,
        SMTP_SERVER_ADDRESS_PORT_TEXTBOX,
        SMTP_USERNAME_TEXTBOX,
        SMTP_PASSWORD_TEXTBOX,
        SHOW_PASSWORD_TICKBOX,
        SEND_FROM_ADDRESS_TEXTBOX,
        SEND_TO_ADDRESS_TEXTBOX,
        SEND_CC_ADDRESS_TEXTBOX,
        SEND_BCC_ADDRESS_TEXTBOX,
        TLS_NO_TICKBOX,
        TLS_YES_TICKBOX,
        TLS_AUTO_TICKBOX,
        VIEW_OUTPUT_COMMANDS_BUTTON,
        CANCEL_BUTTON,
        TITLE_LABEL,
        HEADING_LABEL,
        HINT_LABEL,
        SMTP_SERVER_PORT_LABEL,
        TLS_FRAME,
        SMTP_USERNAME_LABEL,
        Label1,
        FROM_LABEL,
        TO_LABEL,
        CC_LABEL,
        BCC_LABEL,
        STATUS_LABEL,
    };

    explicit EmailMainWindow(instance::SettingsWindow& opener);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    bool open();

    // The eight mailer fields as they stand on screen; setting them runs nothing else.
    MailFields fields() const;
    void setFields(const MailFields& fields);
    // The TLS group as its tick boxes show it, and a change through its own rules.
    const TlsGroup& tls() const { return tls_; }
    void setTls(const TlsGroup& state);

    // Hidden fields.
    const std::wstring& tlsWord() const { return tls_.word(); }
    const std::wstring& runningSubject() const { return runningSubject_; }
    const std::wstring& stoppedSubject() const { return stoppedSubject_; }
    const std::wstring& runningCommand() const { return runningCommand_; }
    const std::wstring& stoppedCommand() const { return stoppedCommand_; }

    std::wstring status() const { return controlText(STATUS_LABEL); }
    ui::Timer& commandUpdateTimer() { return COMMAND_UPDATE_TIMER_; }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void CANCEL_BUTTON_Click() { close(); }
    void USE_BUTTON_Click();
    void BROWSE_SE_HOME_FOLDER_BUTTON_Click();
    void SHOW_PASSWORD_TICKBOX_Click();
    void TLS_TICKBOX_Click(TlsBox box);
    void COMMAND_UPDATE_TIMER_Timer();

    // The windows opened from here, modal over this one; set by the program.
    std::function<void(EmailMainWindow&)> openSharedSettings, openOutputCommands;

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    void showTls();
    LineContext lineContext() const;
    bool writeScripts();

    instance::SettingsWindow& opener_;
    TlsGroup tls_;
    std::wstring runningSubject_, stoppedSubject_;
    std::wstring runningCommand_, stoppedCommand_;
    ui::Timer COMMAND_UPDATE_TIMER_;
};

// Browse for the mailer home folder: the chosen folder replaces the target field's text; a
// cancelled browser leaves it as it was. Shared by both e-mail settings windows.
void browseForMailerHome(ui::Window& owner, int targetField,
                         const std::function<std::optional<std::wstring>(HWND, const std::wstring&)>&
                             pickFolder);

}  // namespace kovalt::email
