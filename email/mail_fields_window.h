// What both e-mail settings windows share: the mailer fields with their labels, the folder
// button and "Use", the password rule and the TLS group, loaded from and stored to one
// section's eleven keys.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "email/command_line.h"
#include "email/tls_group.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"
#include "settings/settings_store.h"

namespace kovalt::email {

class MailFieldsWindow : public ui::Window {
public:
    enum FieldControlId {
        BROWSE_SE_HOME_FOLDER_BUTTON = 340,
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
        TITLE_LABEL,
        HEADING_LABEL,
        HINT_LABEL,
        SMTP_SERVER_PORT_LABEL,
        TLS_FRAME,
        SMTP_USERNAME_LABEL,
        SMTP_PASSWORD_LABEL,
        FROM_LABEL,
        TO_LABEL,
        CC_LABEL,
        BCC_LABEL,
        STATUS_LABEL,
    };

    // The eight mailer fields as they stand on screen, and setting them (nothing else runs).
    MailFields fields() const;
    void setFields(const MailFields& fields);
    // The TLS group as its tick boxes show it; setTls reaches another group's state through
    // this group's own rules.
    const TlsGroup& tls() const { return tls_; }
    void setTls(const TlsGroup& state);

    std::wstring status() const { return controlText(STATUS_LABEL); }

    // Event handlers of the shared controls.
    void USE_BUTTON_Click();
    void BROWSE_SE_HOME_FOLDER_BUTTON_Click();
    void SHOW_PASSWORD_TICKBOX_Click();
    void TLS_TICKBOX_Click(TlsBox box);

protected:
    explicit MailFieldsWindow(const platform::InstanceContext& context) : context_(context) {}

    // The field block, its labels and the heading, at the same places in both windows; the
    // focusable ones in their tab order, between the window's own first and last buttons.
    void createFieldControls();
    void createLabels(const wchar_t* heading);
    // The eleven values of one section: eight texts, then the three TLS states.
    void loadFields(const settings::InstanceSettings& stored,
                    const std::array<settings::SettingKey, 11>& keys);
    // Stores them; when some could not be, which ones and why ("Not stored: ...").
    std::optional<std::wstring> saveFields(const settings::InstanceSettings& stored,
                                           const std::array<settings::SettingKey, 11>& keys) const;
    // Runs the handler of a shared control; false for the window's own controls.
    bool onFieldCommand(int id, int code);

    const platform::InstanceContext& context_;

private:
    void showTls();

    TlsGroup tls_;
};

}  // namespace kovalt::email
