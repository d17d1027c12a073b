#include "email/output_commands_window.h"

#include "monitor/alert_paths.h"
#include "settings/placement.h"

namespace kovalt::email {

namespace keys = settings::keys;
using monitor::AlertKind;

OutputCommandsWindow::OutputCommandsWindow(const platform::InstanceContext& context,
                                           const monitor::InstanceState& state, HWND owner)
    : context_(context), state_(state), owner_(owner) {}

platform::Result OutputCommandsWindow::open() {
    const platform::Result created = create(
        L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW", WS_CAPTION | WS_SYSMENU | WS_BORDER,
        WS_EX_CONTROLPARENT, L"KOV-ALT - EMAIL OUTPUT COMMANDS", owner_, context_.icons.program);
    if (!created.ok()) return created;
    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 120, 2295, 375});
    addHeading(VIEW_OUTPUT_COMMANDS_LABEL, L"EMAIL OUTPUT COMMANDS", {2520, 120, 9135, 375});
    addLabel(COMMAND_NAME_LABEL, L"RUN COMMAND - ", {120, 600, 11535, 255});
    // One line that scrolls rather than wraps; selectable and copyable, not editable.
    addTextBox(ALL_COMMANDS_TEXTBOX, L"", {120, 900, 11535, 1095},
               ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL);
    addLabel(LOCATION_LABEL, L"File Location:", {120, 2130, 1095, 255});
    addTextBox(ALL_LOCATIONS_TEXTBOX, L"!!! NO COMMAND SELECTED - PLEASE SELECT A COMMAND !!!",
               {1260, 2100, 10395, 315}, ES_READONLY);
    addButton(START_EMAIL_COMMAND_BUTTON, L"\"RUNNING\" EMAIL RUN COMMAND", {120, 2640, 3615, 495});
    addButton(END_EMAIL_COMMAND_BUTTON, L"\"STOPPED\" EMAIL RUN COMMAND", {3960, 2640, 3615, 495});
    addButton(OK_BUTTON, L"OK", {9840, 2640, 1815, 495}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    Form_Load();
    return {};
}

void OutputCommandsWindow::Form_Load() {
    applyPlacement(settings::readPlacement(context_.settings(), keys::kOutputCommandsPlacement));
}

void OutputCommandsWindow::Form_Unload() {
    context_.savePositionAtClose(*this, keys::kOutputCommandsPlacement,
                                 L"Where the output commands window is");
}

void OutputCommandsWindow::START_EMAIL_COMMAND_BUTTON_Click() {
    const platform::ProgramIdentity program = context_.identity();
    setControlText(COMMAND_NAME_LABEL, L"RUN COMMAND - SendEmail.exe - PROCESS RUNNING EMAIL");
    setControlText(ALL_COMMANDS_TEXTBOX, state_.runningCommand);
    setControlText(
        ALL_LOCATIONS_TEXTBOX,
        monitor::alertScriptPath(program.folder, program.instanceName, AlertKind::Running));
}

void OutputCommandsWindow::END_EMAIL_COMMAND_BUTTON_Click() {
    const platform::ProgramIdentity program = context_.identity();
    setControlText(COMMAND_NAME_LABEL, L"RUN COMMAND - SendEmail.exe - PROCESS STOPPED EMAIL");
    setControlText(ALL_COMMANDS_TEXTBOX, state_.stoppedCommand);
    setControlText(
        ALL_LOCATIONS_TEXTBOX,
        monitor::alertScriptPath(program.folder, program.instanceName, AlertKind::Stopped));
}

void OutputCommandsWindow::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case START_EMAIL_COMMAND_BUTTON: START_EMAIL_COMMAND_BUTTON_Click(); break;
        case END_EMAIL_COMMAND_BUTTON: END_EMAIL_COMMAND_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::email
