#include "email/email_main_window.h"

#include "app/resource.h"
#include "instance/settings_window.h"
#include "monitor/alert_paths.h"
#include "monitor/main_window.h"
#include "platform/files.h"
#include "settings/placement.h"

namespace kovalt::email {

namespace keys = settings::keys;
using monitor::AlertKind;
using ui::TwipRect;

namespace {
constexpr wchar_t kDefaultHome[] = L"C:\\TALVERO-ROOT\\SendEmail";
constexpr wchar_t kBrowseTitle[] = L"HOME FOLDER - SendEmail.exe";

// The eight text fields in the order they are read and stored, with their keys.
constexpr int kFieldIds[] = {EmailMainWindow::SE_HOME_TEXTBOX,
                             EmailMainWindow::SMTP_SERVER_ADDRESS_PORT_TEXTBOX,
                             EmailMainWindow::SMTP_USERNAME_TEXTBOX,
                             EmailMainWindow::SMTP_PASSWORD_TEXTBOX,
                             EmailMainWindow::SEND_FROM_ADDRESS_TEXTBOX,
                             EmailMainWindow::SEND_TO_ADDRESS_TEXTBOX,
                             EmailMainWindow::SEND_CC_ADDRESS_TEXTBOX,
                             EmailMainWindow::SEND_BCC_ADDRESS_TEXTBOX};
constexpr std::pair<int, TlsBox> kTlsBoxes[] = {{EmailMainWindow::TLS_NO_TICKBOX, TlsBox::No},
                                                {EmailMainWindow::TLS_YES_TICKBOX, TlsBox::Yes},
                                                {EmailMainWindow::TLS_AUTO_TICKBOX, TlsBox::Auto}};
}  // namespace

void browseForMailerHome(
    ui::Window& owner, int targetField,
    const std::function<std::optional<std::wstring>(HWND, const std::wstring&)>& pickFolder) {
    if (auto folder = pickFolder(owner.hwnd(), kBrowseTitle))
        owner.setControlText(targetField, *folder);
}

EmailMainWindow::EmailMainWindow(instance::SettingsWindow& opener)
    : opener_(opener), COMMAND_UPDATE_TIMER_(*this, [this] { COMMAND_UPDATE_TIMER_Timer(); }) {}

bool EmailMainWindow::open() {
    if (!create(L"KOVALT_EMAIL_MAIN_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER,
                WS_EX_CONTROLPARENT, L"KOV-ALT - EMAIL MAIN SETTINGS", opener_.hwnd()))
        return false;
    createControls();
    COMMAND_UPDATE_TIMER_.setEnabled(true);  // on from creation; the load sets its interval
    Form_Load();
    return true;
}

void EmailMainWindow::createControls() {
    // Focusable controls first, in their tab order (OK first).
    addButton(OK_BUTTON, L"OK", {7440, 4320, 1815, 495}, BS_DEFPUSHBUTTON);
    addButton(SHARED_SETTINGS_BUTTON, L"SHARED SETTINGS", {3000, 4320, 1815, 495});
    addPictureButton(BROWSE_SE_HOME_FOLDER_BUTTON, IDI_FOLDER, {240, 840, 375, 375});
    addButton(USE_BUTTON, L"Use", {6240, 600, 615, 255});
    HWND home = addTextBox(SE_HOME_TEXTBOX, L"", {600, 840, 9015, 315});
    setFont(home, L"Tahoma", 8, true);
    addTextBox(SMTP_SERVER_ADDRESS_PORT_TEXTBOX, L"", {240, 1560, 6495, 285});
    addTextBox(SMTP_USERNAME_TEXTBOX, L"", {240, 2280, 4575, 285});
    addTextBox(SMTP_PASSWORD_TEXTBOX, L"", {5040, 2280, 4575, 285}, ES_PASSWORD);
    addTickBox(SHOW_PASSWORD_TICKBOX, L"Show Password", {8160, 2040, 1575, 255});
    addTextBox(SEND_FROM_ADDRESS_TEXTBOX, L"", {240, 3000, 4575, 285});
    addTextBox(SEND_TO_ADDRESS_TEXTBOX, L"", {5040, 3000, 4575, 285});
    addTextBox(SEND_CC_ADDRESS_TEXTBOX, L"", {240, 3720, 4575, 285});
    addTextBox(SEND_BCC_ADDRESS_TEXTBOX, L"", {5040, 3720, 4575, 285});
    // The TLS boxes follow the group's rules, so their clicks are the window's to apply.
    addTickBox(TLS_NO_TICKBOX, L"no", {7200, 1440, 495, 255}, false);
    addTickBox(TLS_YES_TICKBOX, L"yes", {7920, 1440, 615, 255}, false);
    addTickBox(TLS_AUTO_TICKBOX, L"auto", {8760, 1440, 615, 255}, false);
    addButton(VIEW_OUTPUT_COMMANDS_BUTTON, L"VIEW OUTPUT COMMANDS", {360, 4320, 2415, 495});
    addButton(CANCEL_BUTTON, L"Cancel", {5280, 4320, 1575, 495});
    setDefaultButton(OK_BUTTON);
    setCancelButton(CANCEL_BUTTON);

    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 120, 2295, 375});
    addHeading(HEADING_LABEL, L"EMAIL MAIN SETTINGS", {2520, 120, 7215, 375});
    addLabel(HINT_LABEL, L"\"SendEmail.exe\" HOME - eg - C:\\TALVERO-ROOT\\SendEmail",
             {240, 600, 5895, 255});
    addLabel(SMTP_SERVER_PORT_LABEL, L"SMTP SERVER:PORT - e.g. IP:25 or FQDN:25",
             {240, 1320, 4695, 255});
    addControl(L"BUTTON", TLS_FRAME, L"TLS", BS_GROUPBOX | WS_CLIPSIBLINGS, {6960, 1200, 2655, 615});
    addLabel(SMTP_USERNAME_LABEL, L"SMTP Username", {240, 2040, 1455, 255});
    addLabel(Label1, L"Password", {5040, 2040, 855, 255});
    addLabel(FROM_LABEL, L"From", {240, 2760, 1455, 255});
    addLabel(TO_LABEL, L"To", {5040, 2760, 1455, 255});
    addLabel(CC_LABEL, L"Cc", {240, 3480, 1455, 255});
    addLabel(BCC_LABEL, L"Bcc", {5040, 3480, 1455, 255});
    addStatusLine(STATUS_LABEL, {240, 4035, 9375, 255});
    showTls();
}

void EmailMainWindow::Form_Load() {
    const settings::InstanceSettings stored = opener_.main().instanceSettings();
    applyPlacement(settings::readPlacement(stored, keys::kEmailMainPlacement));
    for (size_t i = 0; i < 8; ++i)
        setControlText(kFieldIds[i], stored.text(keys::kInstanceEmailFields[i]));
    tls_.load(stored.tickState(keys::kInstanceEmailFields[8]),
              stored.tickState(keys::kInstanceEmailFields[9]),
              stored.tickState(keys::kInstanceEmailFields[10]));
    showTls();
    runningCommand_ = stored.text(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX);
    stoppedCommand_ = stored.text(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX);
    COMMAND_UPDATE_TIMER_.setInterval(500);
    SHOW_PASSWORD_TICKBOX_Click();
}

void EmailMainWindow::Form_Unload() {
    const TwipRect place = placementTwips();
    settings::savePosition(opener_.main().instanceSettings(), keys::kEmailMainPlacement,
                           place.left, place.top);
}

MailFields EmailMainWindow::fields() const {
    return {controlText(SE_HOME_TEXTBOX),           controlText(SMTP_SERVER_ADDRESS_PORT_TEXTBOX),
            controlText(SMTP_USERNAME_TEXTBOX),     controlText(SMTP_PASSWORD_TEXTBOX),
            controlText(SEND_FROM_ADDRESS_TEXTBOX), controlText(SEND_TO_ADDRESS_TEXTBOX),
            controlText(SEND_CC_ADDRESS_TEXTBOX),   controlText(SEND_BCC_ADDRESS_TEXTBOX)};
}

void EmailMainWindow::setFields(const MailFields& f) {
    const std::wstring* values[] = {&f.home, &f.server, &f.user, &f.password,
                                    &f.from, &f.to,     &f.cc,   &f.bcc};
    for (size_t i = 0; i < 8; ++i) setControlText(kFieldIds[i], *values[i]);
}

void EmailMainWindow::setTls(const TlsGroup& state) {
    tls_.copyFrom(state);
    showTls();
}

void EmailMainWindow::showTls() {
    for (auto [id, box] : kTlsBoxes) {
        ::SendMessageW(control(id), BM_SETCHECK, tls_.ticked(box) ? BST_CHECKED : BST_UNCHECKED, 0);
        ::EnableWindow(control(id), tls_.enabled(box));
    }
}

void EmailMainWindow::TLS_TICKBOX_Click(TlsBox box) {
    tls_.click(box);
    showTls();
}

void EmailMainWindow::USE_BUTTON_Click() { setControlText(SE_HOME_TEXTBOX, kDefaultHome); }

void EmailMainWindow::BROWSE_SE_HOME_FOLDER_BUTTON_Click() {
    browseForMailerHome(*this, SE_HOME_TEXTBOX, opener_.main().services().pickFolder);
}

void EmailMainWindow::SHOW_PASSWORD_TICKBOX_Click() {
    HWND password = control(SMTP_PASSWORD_TEXTBOX);
    ::SendMessageW(password, EM_SETPASSWORDCHAR, tickValue(SHOW_PASSWORD_TICKBOX) ? 0 : L'*', 0);
    ::InvalidateRect(password, nullptr, TRUE);
}

LineContext EmailMainWindow::lineContext() const {
    const platform::ProgramIdentity program = opener_.main().services().identity();
    return {opener_.controlText(instance::SettingsWindow::PROCESS_NAME_TEXTBOX), tls_.word(),
            program.folder, program.instanceName};
}

void EmailMainWindow::COMMAND_UPDATE_TIMER_Timer() {
    const LineContext context = lineContext();
    runningSubject_ = subjectFor(context.processName, AlertKind::Running);
    stoppedSubject_ = subjectFor(context.processName, AlertKind::Stopped);
    const MailFields f = fields();
    runningCommand_ = composeLine(f, context, AlertKind::Running);
    stoppedCommand_ = composeLine(f, context, AlertKind::Stopped);
    opener_.main().setRunningCommand(runningCommand_);
    opener_.main().setStoppedCommand(stoppedCommand_);
}

void EmailMainWindow::OK_BUTTON_Click() {
    // The lines are composed from the fields as they stand, not taken from the last tick: an
    // OK pressed at once would otherwise store and write the old (or empty) lines.
    COMMAND_UPDATE_TIMER_Timer();
    if (auto problem = findCarriageProblem(fields(), lineContext(), platform::ansiAndOemAgree)) {
        showStatus(STATUS_LABEL, problem->message);
        return;
    }
    const settings::InstanceSettings stored = opener_.main().instanceSettings();
    const TwipRect place = placementTwips();
    settings::savePosition(stored, keys::kEmailMainPlacement, place.left, place.top);
    settings::SaveResult failed;
    auto save = [&](const settings::SettingKey& key, const std::wstring& value) {
        const settings::SaveResult result = stored.save(key, value);
        if (failed.ok()) failed = result;
    };
    for (size_t i = 0; i < 8; ++i) save(keys::kInstanceEmailFields[i], controlText(kFieldIds[i]));
    for (size_t i = 0; i < 3; ++i)
        save(keys::kInstanceEmailFields[8 + i], tls_.ticked(kTlsBoxes[i].second) ? L"1" : L"0");
    save(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX, runningCommand_);
    save(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX, stoppedCommand_);
    opener_.main().setRunningCommand(runningCommand_);
    opener_.main().setStoppedCommand(stoppedCommand_);
    if (!writeScripts()) return;
    if (!failed.ok()) {
        showStatus(STATUS_LABEL, L"The alert scripts were written, but the settings could not be stored: " +
                   platform::errorText(failed.error));
        return;
    }
    opener_.setUpdateLight(instance::SettingsWindow::kGreen);
    close();
}

bool EmailMainWindow::writeScripts() {
    const platform::ProgramIdentity program = opener_.main().services().identity();
    for (auto [kind, line] : {std::pair{AlertKind::Running, &runningCommand_},
                              std::pair{AlertKind::Stopped, &stoppedCommand_}}) {
        const std::wstring path = monitor::alertScriptPath(program.folder, program.instanceName, kind);
        // The carriage check let only characters through that the code page holds.
        const std::string bytes = platform::toAnsi(*line).value_or(std::string()) + "\r\n";
        const platform::FileResult written = platform::replaceFile(path, bytes);
        if (!written.ok) {
            showStatus(STATUS_LABEL, L"Could not write the alert script " + path + L": " + written.reason +
                       L". Use CREATE FOLDERS in the settings window if BATS is missing.");
            return false;
        }
    }
    return true;
}

void EmailMainWindow::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case CANCEL_BUTTON: CANCEL_BUTTON_Click(); break;
        case USE_BUTTON: USE_BUTTON_Click(); break;
        case BROWSE_SE_HOME_FOLDER_BUTTON: BROWSE_SE_HOME_FOLDER_BUTTON_Click(); break;
        case SHOW_PASSWORD_TICKBOX: SHOW_PASSWORD_TICKBOX_Click(); break;
        case TLS_NO_TICKBOX: TLS_TICKBOX_Click(TlsBox::No); break;
        case TLS_YES_TICKBOX: TLS_TICKBOX_Click(TlsBox::Yes); break;
        case TLS_AUTO_TICKBOX: TLS_TICKBOX_Click(TlsBox::Auto); break;
        case SHARED_SETTINGS_BUTTON: if (openSharedSettings) openSharedSettings(*this); break;
        case VIEW_OUTPUT_COMMANDS_BUTTON: if (openOutputCommands) openOutputCommands(*this); break;
        default: break;
    }
}

}  // namespace kovalt::email
