// KOVALT_EMAIL_SHARED_SETTINGS: one set of mailer fields for every instance, kept in the shared
// section; OK stores it, "USE THESE SHARED SETTINGS" copies what it shows into the open e-mail
// main settings window. Opened modal over that window.
#pragma once

#include "email/mail_fields_window.h"

namespace kovalt::email {

class EmailMainWindow;

class EmailSharedWindow final : public MailFieldsWindow {
public:
    enum ControlId {
        USE_THESE_SHARED_SETTINGS_BUTTON = 321,
        CANCEL_BUTTON,
        OK_BUTTON,
    };

    // Opened over the e-mail main settings window, into which it copies what it shows.
    EmailSharedWindow(const platform::InstanceContext& context, EmailMainWindow& opener);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void CANCEL_BUTTON_Click() { close(); }
    void USE_THESE_SHARED_SETTINGS_BUTTON_Click();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    EmailMainWindow& opener_;
};

}  // namespace kovalt::email
