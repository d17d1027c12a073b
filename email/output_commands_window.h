// KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW: shows either composed mailer command line, as the strip
// holds it now, with the path of the alert script that carries it, to read and copy.
#pragma once

#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::monitor {
class MainWindow;
}

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

    // Shows the lines `strip` holds now, over `owner`.
    OutputCommandsWindow(const platform::InstanceContext& context, const monitor::MainWindow& strip,
                         HWND owner);

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
    const monitor::MainWindow& main_;
    HWND owner_;
};

// Opens the viewer modal over `owner`; returns when it has closed, or at once with the reason
// it could not open.
platform::Result showOutputCommands(const platform::InstanceContext& context,
                                    const monitor::MainWindow& strip, HWND owner);

}  // namespace kovalt::email
