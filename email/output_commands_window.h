// KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW: shows either composed mailer command line, as the
// instance holds it now, with the path of the alert script that carries it, to read and copy.
#pragma once

#include "monitor/instance_state.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::email {

class OutputCommandsWindow final : public ui::Window {
public:
    enum ControlId {
        TITLE_LABEL = 401,
        VIEW_OUTPUT_COMMANDS_LABEL,
        COMMAND_NAME_LABEL,
        ALL_COMMANDS_TEXTBOX,
        LOCATION_LABEL,
        ALL_LOCATIONS_TEXTBOX,
        START_EMAIL_COMMAND_BUTTON,
        END_EMAIL_COMMAND_BUTTON,
        OK_BUTTON,
    };

    // Shows the lines the instance holds now, over `owner`.
    OutputCommandsWindow(const platform::InstanceContext& context,
                         const monitor::InstanceState& state, HWND owner);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click() { close(); }
    void START_EMAIL_COMMAND_BUTTON_Click();
    void END_EMAIL_COMMAND_BUTTON_Click();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    const platform::InstanceContext& context_;
    const monitor::InstanceState& state_;
    HWND owner_;
};

}  // namespace kovalt::email
