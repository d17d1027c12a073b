// KOVALT_PUSH_SETTINGS, "KOV-ALT - PUSH AND HEARTBEAT": the push service every alert also goes
// to (ntfy, Discord, Slack, Telegram, a webhook) and the heartbeat URL pinged while the program
// runs, with a test push. Tokens and URLs are stored protected for the user. Opened modal over
// the settings window; OK checks and stores, Cancel and Esc keep nothing.
#pragma once

#include "monitor/push_message.h"
#include "monitor/switches.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::instance {

class PushWindow final : public ui::Window {
public:
    enum ControlId {
        TITLE_LABEL = 601,
        HEADING_LABEL,
        PUSH_SERVICE_LABEL,
        PUSH_SERVICE_COMBOBOX,
        PUSH_URL_LABEL,
        PUSH_URL_TEXTBOX,
        PUSH_TOKEN_LABEL,
        PUSH_TOKEN_TEXTBOX,
        PUSH_CHAT_LABEL,
        PUSH_CHAT_TEXTBOX,
        SEND_TEST_PUSH_BUTTON,
        TEST_PUSH_STATUS_LABEL,
        LINE_1,
        HEARTBEAT_URL_LABEL,
        HEARTBEAT_URL_TEXTBOX,
        HEARTBEAT_EVERY_LABEL,
        HEARTBEAT_MINUTES_TEXTBOX,
        HEARTBEAT_UNIT_LABEL,
        STATUS_LABEL,
        CANCEL_BUTTON,
        OK_BUTTON,
    };

    PushWindow(const platform::InstanceContext& context, monitor::Switches& switches, HWND owner);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void CANCEL_BUTTON_Click() { close(); }
    // Sends the test alert as a push, with the fields as they stand; nothing is stored.
    void SEND_TEST_PUSH_BUTTON_Click();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    monitor::PushConfig config() const;
    std::optional<std::wstring> store();
    void showTestOutcome(bool sent, const std::wstring& text);

    const platform::InstanceContext& context_;
    monitor::Switches& switches_;
    HWND owner_;
};

}  // namespace kovalt::instance
