#include "email/email_main_window.h"

#include "email/alert_scripts.h"
#include "email/email_shared_window.h"
#include "email/output_commands_window.h"
#include "monitor/stuck_checks.h"
#include "platform/files.h"
#include "settings/placement.h"

namespace kovalt::email {

namespace keys = settings::keys;
using monitor::AlertKind;

// The end-to-end tests and the demo press these from outside by their ids.
static_assert(EmailMainWindow::OK_BUTTON == 301 && EmailMainWindow::CANCEL_BUTTON == 304 &&
              EmailMainWindow::SEND_TEST_EMAIL_BUTTON == 305 &&
              EmailMainWindow::TEST_STATUS_LABEL == 306);

EmailMainWindow::EmailMainWindow(const platform::InstanceContext& context,
                                 monitor::InstanceState& state, monitor::Switches& switches,
                                 HWND owner, std::function<void()> scriptsWritten)
    : MailFieldsWindow(context),
      state_(state),
      switches_(switches),
      owner_(owner),
      scriptsWritten_(std::move(scriptsWritten)),
      COMMAND_UPDATE_TIMER_(*this, [this] { COMMAND_UPDATE_TIMER_Timer(); }) {}

platform::Result EmailMainWindow::open() {
    const platform::Result created = create(
        L"KOVALT_EMAIL_MAIN_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
        L"KOV-ALT - EMAIL MAIN SETTINGS", owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    COMMAND_UPDATE_TIMER_.setEnabled(true);  // on from creation; the load sets its interval
    Form_Load();
    return {};
}

namespace {
// The row of buttons along the bottom, below the test e-mail's row.
constexpr int kBottomRow = 4815;
}  // namespace

void EmailMainWindow::createControls() {
    // Focusable controls in their tab order: OK first.
    addButton(OK_BUTTON, L"OK", {7440, kBottomRow, 1815, 495}, BS_DEFPUSHBUTTON);
    addButton(SHARED_SETTINGS_BUTTON, L"SHARED SETTINGS", {3000, kBottomRow, 1815, 495});
    createFieldControls();
    addButton(SEND_TEST_EMAIL_BUTTON, L"Send Test Email", {360, 4335, 2415, 375});
    addButton(VIEW_OUTPUT_COMMANDS_BUTTON, L"VIEW OUTPUT COMMANDS", {360, kBottomRow, 2415, 495});
    addButton(CANCEL_BUTTON, L"Cancel", {5280, kBottomRow, 1575, 495});
    // Not the window's status line, which says what OK and the other buttons could not do.
    addLabel(TEST_STATUS_LABEL, L"", {2895, 4395, 6720, 255}, SS_ENDELLIPSIS | SS_NOTIFY);
    setDefaultButton(OK_BUTTON);
    setCancelButton(CANCEL_BUTTON);
    createLabels(L"EMAIL MAIN SETTINGS");
}

void EmailMainWindow::Form_Load() {
    const settings::InstanceSettings stored = context_.settings();
    applyPlacement(settings::readPlacement(stored, keys::kEmailMainPlacement));
    loadFields(stored, keys::kInstanceEmailFields);
    runningCommand_ = stored.text(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX);
    stoppedCommand_ = stored.text(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX);
    COMMAND_UPDATE_TIMER_.setInterval(500);
}

void EmailMainWindow::Form_Unload() {
    switches_.forgetTest();  // a test on its way goes on; nobody is left to hear of it
    context_.savePositionAtClose(*this, keys::kEmailMainPlacement,
                                 L"Where the e-mail settings window is");
}

LineContext EmailMainWindow::lineContext() const {
    const platform::ProgramIdentity program = context_.identity();
    LineContext context{state_.processName, tls().word(), program.folder, program.instanceName};
    context.withStuck = monitor::stuckChecksSet(context_.settings());
    return context;
}

void EmailMainWindow::COMMAND_UPDATE_TIMER_Timer() {
    const LineContext context = lineContext();
    runningSubject_ = subjectFor(context.processName, AlertKind::Running);
    stoppedSubject_ = subjectFor(context.processName, AlertKind::Stopped);
    const MailFields f = fields();
    runningCommand_ = composeLine(f, context, AlertKind::Running);
    stoppedCommand_ = composeLine(f, context, AlertKind::Stopped);
    state_.runningCommand = runningCommand_;
    state_.stoppedCommand = stoppedCommand_;
}

void EmailMainWindow::OK_BUTTON_Click() {
    // The window's lines and the strip's copies follow the fields as they stand, as the next
    // tick would make them, even when OK then refuses; the scripts come from the same fields.
    COMMAND_UPDATE_TIMER_Timer();
    const AlertScripts scripts =
        prepareAlertScripts(fields(), lineContext(), platform::ansiAndOemAgree, platform::toAnsi,
                            platform::shortPathOf);
    // The fields are stored only once both scripts hold them, so that the window, opened
    // again, never shows settings other than those the alerts are sent with.
    if (const std::optional<std::wstring> problem = putInPlace(scripts)) {
        showStatus(STATUS_LABEL, *problem + L" Nothing was stored.");
        return;
    }
    // The viewer shows the lines the scripts hold (a path may have gone by its short form).
    state_.runningCommand = scripts.runningLine;
    state_.stoppedCommand = scripts.stoppedLine;
    const settings::InstanceSettings stored = context_.settings();
    context_.savePosition(*this, keys::kEmailMainPlacement);
    const std::optional<std::wstring> unstored = saveFields(stored, keys::kInstanceEmailFields);
    const platform::Result lines = storeLines(stored, scripts);
    if (unstored || !lines.ok()) {
        showStatus(STATUS_LABEL,
                   L"The alert scripts were written, but the settings were not all "
                   L"stored. " +
                       unstored.value_or(L"Not stored: the command lines (" +
                                         platform::describe(lines) + L")"));
        return;
    }
    if (scriptsWritten_) scriptsWritten_();
    close();
}

void EmailMainWindow::SEND_TEST_EMAIL_BUTTON_Click() {
    COMMAND_UPDATE_TIMER_Timer();
    const OneScript test =
        prepareScript(fields(), lineContext(), AlertKind::Test, platform::ansiAndOemAgree,
                      platform::toAnsi, platform::shortPathOf);
    if (test.problem)
        return showTestOutcome(false, L"Test e-mail not sent: " + test.problem->message);
    std::wstring failed;
    if (const platform::Result written = platform::replaceFiles({&test.file, 1}, failed);
        !written.ok())
        return showTestOutcome(
            false, L"Test e-mail not sent: " +
                       scriptWriteProblem(failed, written.code, platform::describe(written)));
    ::SetWindowTextW(control(SEND_TEST_EMAIL_BUTTON), L"Sending...");
    ::EnableWindow(control(SEND_TEST_EMAIL_BUTTON), FALSE);
    showStatus(TEST_STATUS_LABEL, L"");
    switches_.sendTest(
        [this](bool sent, const std::wstring& text) { showTestOutcome(sent, text); });
}

void EmailMainWindow::showTestOutcome(bool sent, const std::wstring& text) {
    ::SetWindowTextW(control(SEND_TEST_EMAIL_BUTTON), L"Send Test Email");
    ::EnableWindow(control(SEND_TEST_EMAIL_BUTTON), TRUE);
    setColors(control(TEST_STATUS_LABEL),
              {sent ? ui::colours::kBlack : ui::colours::kDarkRed, ::GetSysColor(COLOR_BTNFACE)});
    showStatus(TEST_STATUS_LABEL, text);
}

void EmailMainWindow::SHARED_SETTINGS_BUTTON_Click() {
    EmailSharedWindow window(context_, *this);
    openModal(window, SHARED_SETTINGS_BUTTON, L"The shared settings");
}

void EmailMainWindow::VIEW_OUTPUT_COMMANDS_BUTTON_Click() {
    OutputCommandsWindow window(context_, state_, hwnd());
    openModal(window, VIEW_OUTPUT_COMMANDS_BUTTON, L"The output commands");
}

void EmailMainWindow::onCommand(int id, int code, HWND) {
    if (onFieldCommand(id, code) || code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case CANCEL_BUTTON: CANCEL_BUTTON_Click(); break;
        case SHARED_SETTINGS_BUTTON: SHARED_SETTINGS_BUTTON_Click(); break;
        case VIEW_OUTPUT_COMMANDS_BUTTON: VIEW_OUTPUT_COMMANDS_BUTTON_Click(); break;
        case SEND_TEST_EMAIL_BUTTON: SEND_TEST_EMAIL_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::email
