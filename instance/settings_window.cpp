#include "instance/settings_window.h"

#include "about/about_window.h"
#include "email/alert_scripts.h"
#include "email/email_main_window.h"
#include "email/output_commands_window.h"
#include "instance/folder_tree.h"
#include "instance/logon_start.h"
#include "instance/push_window.h"
#include "instance/restart_command.h"
#include "instance/stuck_window.h"
#include "platform/files.h"
#include "platform/logon_run.h"
#include "platform/program_identity.h"
#include "settings/placement.h"
#include "settings/value_text.h"

namespace kovalt::instance {

namespace keys = settings::keys;

namespace {
// The row of buttons along the bottom, below the options.
constexpr int kBottomRow = 6450;
// Where windows_exporter, installed as it comes, reads text files of metrics from.
constexpr wchar_t kExporterFolder[] = L"C:\\Program Files\\windows_exporter\\textfile_inputs";

// Stores a value the store does not read already (its default when absent), so that a window
// confirmed untouched writes none of the keys it came with.
platform::Result saveChanged(const settings::InstanceSettings& stored,
                             const settings::SettingKey& key, const std::wstring& value) {
    const std::wstring now = key.form == settings::ValueForm::TickState
                                 ? std::to_wstring(stored.tickState(key))
                                 : stored.text(key);
    return value == now ? platform::Result{} : stored.save(key, value);
}
}  // namespace

// The end-to-end tests and the demo press these buttons from outside by their ids.
static_assert(SettingsWindow::PROCESS_NAME_TEXTBOX == 208 &&
              SettingsWindow::ENABLED_TICKBOX == 210 &&
              SettingsWindow::CREATE_FOLDERS_BUTTON == 212 && SettingsWindow::STATUS_LABEL == 213 &&
              SettingsWindow::EMAIL_SETTINGS_BUTTON == 218 && SettingsWindow::OK_BUTTON == 219);

SettingsWindow::SettingsWindow(const platform::InstanceContext& context,
                               monitor::InstanceState& state, monitor::Switches& switches,
                               HWND owner)
    : context_(context), state_(state), switches_(switches), owner_(owner) {}

SettingsWindow::~SettingsWindow() { switches_.onSeenRunning(nullptr); }

platform::Result SettingsWindow::open() {
    const platform::Result created =
        create(L"KOVALT_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
               L"KOV-ALT - SETTINGS", owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    Form_Load();
    // While open, the restart boxes may take how the program runs once the strip sees it.
    switches_.onSeenRunning([this] { processSeenRunning(); });
    return {};
}

platform::Result showSettings(const platform::InstanceContext& context,
                              monitor::InstanceState& state, monitor::Switches& switches,
                              HWND owner) {
    SettingsWindow window(context, state, switches, owner);
    const platform::Result opened = window.open();
    if (opened.ok()) ui::showModal(window, owner);
    return opened;
}

void SettingsWindow::createControls() {
    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 60, 1815, 315});
    addHeading(HEADING_LABEL, L"MAIN SETTINGS", {2040, 60, 3255, 315});
    addLine(LINE_1, {120, 450, 5175, 30});

    addLabel(RUNNER_NAME_LABEL, L"Kov-Alt Name:", {120, 540, 2520, 240});
    addTextBox(RUNNER_NAME_TEXTBOX, L"RUNNER NAME", {120, 780, 2520, 315});
    addLabel(PROCESS_NAME_LABEL, L"Monitor \"Process.exe\" Name:", {2760, 540, 2535, 240});
    addPictureButton(BROWSE_PROCESS_NAME_FILE_BUTTON, context_.icons.browse, {2760, 780, 375, 315});
    addTextBox(PROCESS_NAME_TEXTBOX, L"PROCESS-NAME.exe", {3180, 780, 2115, 315});
    addLine(LINE_2, {120, 1200, 5175, 30});

    addTickBox(ENABLED_TICKBOX, L"ENABLED", {120, 1320, 1095, 255});
    addTickBox(AlwaysOnTop_TICKBOX, L"Always On Top", {1320, 1320, 1575, 255});
    HWND create = addButton(CREATE_FOLDERS_BUTTON, L"CREATE FOLDERS", {3000, 1275, 2295, 345});
    setFont(create, L"Tahoma", 8, true);
    addStatusLine(STATUS_LABEL, {120, 1665, 5175, 255});
    addLine(LINE_3, {120, 1965, 5175, 30});

    addTickBox(RESTART_TICKBOX, L"Restart when stopped", {120, 2085, 2640, 255});
    addLabel(RESTART_COMMAND_LABEL, L"Restart command", {120, 2370, 5175, 240});
    addTextBox(RESTART_COMMAND_TEXTBOX, L"", {120, 2610, 5175, 315}, ES_AUTOHSCROLL);
    addLabel(RESTART_FOLDER_LABEL, L"Start in", {120, 2985, 5175, 240});
    addTextBox(RESTART_FOLDER_TEXTBOX, L"", {120, 3225, 5175, 315}, ES_AUTOHSCROLL);
    addLabel(REMINDER_LABEL, L"Remind every", {120, 3675, 1215, 240});
    addTextBox(REMINDER_MINUTES_TEXTBOX, L"", {1335, 3630, 615, 315});
    addLabel(REMINDER_UNIT_LABEL, L"minutes while stopped", {2040, 3675, 3255, 240});
    addTickBox(START_WITH_WINDOWS_TICKBOX, L"Start with Windows", {120, 4065, 2640, 255});
    HWND where =
        addLabel(LOGON_RUN_LABEL, L"", {120, 4350, 5175, 240}, SS_PATHELLIPSIS | SS_NOTIFY);
    setColors(where, {ui::colours::kDarkRed, ::GetSysColor(COLOR_BTNFACE)});
    addLabel(STARTUP_DELAY_LABEL, L"At Windows start, first check after", {120, 4710, 2895, 240});
    addTextBox(STARTUP_DELAY_SECONDS_TEXTBOX, L"", {3015, 4665, 615, 315});
    addLabel(STARTUP_DELAY_UNIT_LABEL, L"s", {3690, 4710, 300, 240});
    addLabel(METRICS_FOLDER_LABEL, L"Metrics folder (for windows_exporter)",
             {120, 5085, 3600, 240});
    addButton(METRICS_FOLDER_FILL_BUTTON, L"windows_exporter", {3735, 5040, 1560, 285});
    addTextBox(METRICS_FOLDER_TEXTBOX, L"", {120, 5355, 5175, 315}, ES_AUTOHSCROLL);
    addButton(PUSH_SETTINGS_BUTTON, L"Push and heartbeat", {120, 5790, 2520, 375});
    addButton(STUCK_SETTINGS_BUTTON, L"Is it working?", {2775, 5790, 2520, 375});
    addLine(LINE_4, {120, kBottomRow - 195, 5175, 30});

    addButton(ABOUT_BUTTON, L"About", {120, kBottomRow, 555, 615});
    addButton(VIEW_OUTPUT_COMMANDS_BUTTON, L"View Output Commands", {735, kBottomRow, 1785, 615},
              BS_MULTILINE);
    // The update light lies behind "Email Settings" and shows as a frame around it.
    HWND light = addLabel(UPDATE_SETTINGS_LIGHT_TEXTBOX, L"", {2640, kBottomRow - 120, 1335, 855});
    HWND email = addButton(EMAIL_SETTINGS_BUTTON, L"Email Settings", {2760, kBottomRow, 1095, 615},
                           BS_MULTILINE);
    putBehind(light, email);
    setUpdateLight(ui::colours::kLightYellow);
    addButton(OK_BUTTON, L"OK", {4095, kBottomRow, 1200, 615}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
}

void SettingsWindow::Form_Load() {
    const settings::InstanceSettings stored = context_.settings();
    applyPlacement(settings::readPlacement(stored, keys::kSettingsPlacement));
    // Each of these runs the control's own handler when the value differs from the design
    // state, exactly as the user's action would (ticking monitoring starts it, and so on).
    setTickValue(AlwaysOnTop_TICKBOX, stored.tickState(keys::AlwaysOnTop_TICKBOX));
    setTickValue(ENABLED_TICKBOX, stored.tickState(keys::ENABLED_TICKBOX));
    setControlText(RUNNER_NAME_TEXTBOX, stored.text(keys::RUNNER_NAME_TEXTBOX));
    setControlText(PROCESS_NAME_TEXTBOX, stored.text(keys::PROCESS_NAME_TEXTBOX));
    ::SendMessageW(control(PROCESS_NAME_TEXTBOX), EM_SETREADONLY, tickValue(ENABLED_TICKBOX), 0);
    setTickValue(RESTART_TICKBOX, stored.tickState(keys::RESTART_TICKBOX));
    setControlText(RESTART_COMMAND_TEXTBOX, stored.text(keys::RESTART_COMMAND_TEXTBOX));
    setControlText(RESTART_FOLDER_TEXTBOX, stored.text(keys::RESTART_FOLDER_TEXTBOX));
    setControlText(REMINDER_MINUTES_TEXTBOX, stored.text(keys::REMINDER_MINUTES_TEXTBOX));
    setControlText(STARTUP_DELAY_SECONDS_TEXTBOX, stored.text(keys::STARTUP_DELAY_SECONDS_TEXTBOX));
    setControlText(METRICS_FOLDER_TEXTBOX, stored.text(keys::METRICS_FOLDER_TEXTBOX));
    showLogonRun();
    processSeenRunning();  // running now, perhaps, though not watched
}

void SettingsWindow::processSeenRunning() {
    // Only for the user who asked for restarts: a command line may hold a secret. Nothing is
    // stored before OK.
    if (!tickValue(RESTART_TICKBOX) || !controlText(RESTART_COMMAND_TEXTBOX).empty() ||
        !controlText(RESTART_FOLDER_TEXTBOX).empty())
        return;
    const std::optional<platform::ProcessDetails> seen = context_.processDetails(processName());
    if (!seen || seen->commandLine.empty()) return;
    setControlText(RESTART_COMMAND_TEXTBOX, seen->commandLine);
    setControlText(RESTART_FOLDER_TEXTBOX, seen->folder);
}

platform::Result SettingsWindow::saveFields() {
    const settings::InstanceSettings stored = context_.settings();
    platform::Result first = context_.savePosition(*this, keys::kSettingsPlacement);
    for (const auto& [key, value] :
         {std::pair{&keys::ENABLED_TICKBOX, std::to_wstring(tickValue(ENABLED_TICKBOX))},
          std::pair{&keys::RUNNER_NAME_TEXTBOX, controlText(RUNNER_NAME_TEXTBOX)},
          std::pair{&keys::PROCESS_NAME_TEXTBOX, controlText(PROCESS_NAME_TEXTBOX)}})
        first.keep(stored.save(*key, value));
    return first;
}

std::optional<std::wstring> SettingsWindow::storeRestart() {
    monitor::RestartCommand restart{tickValue(RESTART_TICKBOX) == 1,
                                    controlText(RESTART_COMMAND_TEXTBOX),
                                    controlText(RESTART_FOLDER_TEXTBOX)};
    if (restart.on)
        if (const auto problem = restartProblem(restart.command, restart.folder, processName(),
                                                platform::folderExists))
            return L"Restart when stopped was not stored: " + *problem;
    const settings::InstanceSettings stored = context_.settings();
    platform::Result first = saveChanged(stored, keys::RESTART_TICKBOX, restart.on ? L"1" : L"0");
    for (const auto& [key, value] : {std::pair{&keys::RESTART_COMMAND_TEXTBOX, restart.command},
                                     std::pair{&keys::RESTART_FOLDER_TEXTBOX, restart.folder}})
        first.keep(saveChanged(stored, *key, value));
    switches_.setRestart(std::move(restart));
    if (!first.ok())
        return L"Restart when stopped could not be stored: " + platform::describe(first);
    return std::nullopt;
}

std::optional<std::wstring> SettingsWindow::storeReminder() {
    const std::wstring typed = controlText(REMINDER_MINUTES_TEXTBOX);
    const bool none = typed.find_first_not_of(L" 0") == std::wstring::npos;
    const std::optional<int> minutes = none ? 0 : settings::parseWholeIn(typed, 1, 1440);
    if (!minutes)
        return L"The reminder was not stored: give a whole number of minutes from 1 to 1440, or "
               L"leave it empty for none.";
    switches_.setReminderMinutes(*minutes);
    const platform::Result saved =
        saveChanged(context_.settings(), keys::REMINDER_MINUTES_TEXTBOX, typed);
    if (!saved.ok()) return L"The reminder could not be stored: " + platform::describe(saved);
    return std::nullopt;
}

std::optional<std::wstring> SettingsWindow::storeStartupDelay() {
    const std::wstring typed = controlText(STARTUP_DELAY_SECONDS_TEXTBOX);
    if (!settings::parseWholeIn(typed, 1, 3600))
        return L"The first check at Windows start was not stored: give a whole number of "
               L"seconds from 1 to 3600.";
    const platform::Result saved =
        saveChanged(context_.settings(), keys::STARTUP_DELAY_SECONDS_TEXTBOX, typed);
    if (!saved.ok())
        return L"The first check at Windows start could not be stored: " +
               platform::describe(saved);
    return std::nullopt;
}

std::optional<std::wstring> SettingsWindow::storeMetricsFolder() {
    const std::wstring folder = controlText(METRICS_FOLDER_TEXTBOX);
    const settings::InstanceSettings stored = context_.settings();
    const std::wstring before = stored.text(keys::METRICS_FOLDER_TEXTBOX);
    if (!folder.empty() && !platform::folderExists(folder))
        return L"The metrics folder was not stored: " + folder + L" is no folder that exists.";
    // Writing the file there is the one sure test that it can be written.
    if (const std::optional<std::wstring> failed = switches_.setMetricsFolder(folder)) {
        switches_.setMetricsFolder(before);
        return L"The metrics folder was not stored: " + *failed;
    }
    const platform::Result saved = saveChanged(stored, keys::METRICS_FOLDER_TEXTBOX, folder);
    if (!saved.ok()) return L"The metrics folder could not be stored: " + platform::describe(saved);
    return std::nullopt;
}

void SettingsWindow::PUSH_SETTINGS_BUTTON_Click() {
    PushWindow window(context_, switches_, hwnd());
    openModal(window, PUSH_SETTINGS_BUTTON, L"The push settings");
}

void SettingsWindow::STUCK_SETTINGS_BUTTON_Click() {
    StuckWindow window(context_, state_, switches_, hwnd(), [this] {
        return tickValue(RESTART_TICKBOX) && !controlText(RESTART_COMMAND_TEXTBOX).empty();
    });
    openModal(window, STUCK_SETTINGS_BUTTON, L"The checks that it works");
}

void SettingsWindow::METRICS_FOLDER_FILL_BUTTON_Click() {
    if (platform::folderExists(kExporterFolder))
        setControlText(METRICS_FOLDER_TEXTBOX, kExporterFolder);
    else
        showStatus(STATUS_LABEL, L"windows_exporter's folder " + std::wstring(kExporterFolder) +
                                     L" is not there: is windows_exporter installed?");
}

void SettingsWindow::showLogonRun() {
    platform::Result error;
    const std::optional<std::wstring> value = platform::readLogonRun(
        context_.logonRunKey, logonRunName(context_.identity().instanceName), &error);
    const bool here = value && startsThisProgram(*value, platform::currentExecutable());
    // Set without running the box's handler: showing the value must not write it.
    ::SendMessageW(control(START_WITH_WINDOWS_TICKBOX), BM_SETCHECK,
                   here ? BST_CHECKED : BST_UNCHECKED, 0);
    for (int id : {STARTUP_DELAY_LABEL, STARTUP_DELAY_SECONDS_TEXTBOX, STARTUP_DELAY_UNIT_LABEL})
        ::EnableWindow(control(id), here);
    std::wstring line;
    if (!error.ok())
        line =
            L"Whether Windows starts this program could not be read: " + platform::describe(error);
    else if (value && !here)
        line = L"Windows starts another copy: " + programOf(*value).value_or(*value);
    showStatus(LOGON_RUN_LABEL, line);
}

void SettingsWindow::START_WITH_WINDOWS_TICKBOX_Click() {
    const std::wstring name = logonRunName(context_.identity().instanceName);
    const platform::Result done =
        tickValue(START_WITH_WINDOWS_TICKBOX)
            ? platform::writeLogonRun(context_.logonRunKey, name,
                                      logonRunCommand(platform::currentExecutable()))
            : platform::removeLogonRun(context_.logonRunKey, name);
    showLogonRun();  // the box follows what the value says now
    if (!done.ok())
        showStatus(STATUS_LABEL,
                   L"Could not change Start with Windows: " + platform::describe(done));
}

std::optional<std::wstring> SettingsWindow::storeAll() {
    const platform::Result saved = saveFields();
    platform::Problems problems;
    for (const std::optional<std::wstring>& problem :
         {storeRestart(), storeReminder(), storeStartupDelay(), storeMetricsFolder()})
        problems.add(problem);
    if (!saved.ok()) return L"The settings could not be stored: " + platform::describe(saved);
    problems.add(keepAlertsNamingWatchedProcess());
    return problems.text();
}

void SettingsWindow::Form_Unload() {
    if (storedAtOk_) return;  // stored once, and the scripts written once
    // Closed by its title bar, the window has no place left to say what failed.
    if (const auto problem = storeAll()) context_.tell(hwnd(), *problem);
}

void SettingsWindow::OK_BUTTON_Click() {
    // The window stays open to say what failed.
    if (const auto problem = storeAll()) return showStatus(STATUS_LABEL, *problem);
    storedAtOk_ = true;
    close();
}

std::optional<std::wstring> SettingsWindow::keepAlertsNamingWatchedProcess() {
    const settings::InstanceSettings stored = context_.settings();
    const std::optional<email::AlertScripts> scripts =
        email::scriptsNaming(processName(), stored, context_.identity().folder,
                             platform::ansiAndOemAgree, platform::toAnsi, platform::shortPathOf);
    if (!scripts) return std::nullopt;
    if (const std::optional<std::wstring> problem = email::putInPlace(*scripts))
        return *problem +
               L" The watched name was stored, but the alert scripts still name the process "
               L"they named before.";
    state_.runningCommand = scripts->runningLine;
    state_.stoppedCommand = scripts->stoppedLine;
    if (const platform::Result saved = email::storeLines(stored, *scripts); !saved.ok())
        return L"The alert scripts now name " + processName() +
               L", but their lines could not be stored: " + platform::describe(saved);
    return std::nullopt;
}

void SettingsWindow::ENABLED_TICKBOX_Click() {
    if (tickValue(ENABLED_TICKBOX)) {
        switches_.startMonitoring();
        ::SendMessageW(control(PROCESS_NAME_TEXTBOX), EM_SETREADONLY, TRUE, 0);
    } else {
        ::SendMessageW(control(PROCESS_NAME_TEXTBOX), EM_SETREADONLY, FALSE, 0);
        showDropped(switches_.stopMonitoring());
    }
}

void SettingsWindow::RESTART_TICKBOX_Click() {
    processSeenRunning();  // the boxes offer how the program runs now
}

void SettingsWindow::AlwaysOnTop_TICKBOX_Click() {
    const settings::InstanceSettings stored = context_.settings();
    const std::wstring value = std::to_wstring(tickValue(AlwaysOnTop_TICKBOX));
    const platform::Result saved = stored.save(keys::AlwaysOnTop_TICKBOX, value);
    // The strip follows what the store holds now, as it will at its next start.
    switches_.setAlwaysOnTop(stored.flag(keys::AlwaysOnTop_TICKBOX));
    if (!saved.ok())
        showStatus(STATUS_LABEL, L"Could not store Always On Top: " + platform::describe(saved));
}

void SettingsWindow::PROCESS_NAME_TEXTBOX_Change() {
    // An alert about the program watched before is not sent under the new name.
    showDropped(switches_.watchName(controlText(PROCESS_NAME_TEXTBOX)));
}

void SettingsWindow::showDropped(std::wstring line) {
    if (line.empty()) return;
    line[0] = static_cast<wchar_t>(::towupper(line[0]));
    showStatus(STATUS_LABEL, line);
}

void SettingsWindow::BROWSE_PROCESS_NAME_FILE_BUTTON_Click() {
    const platform::FileDialogRequest request{L"Applications (*.exe)|*.exe|All files (*.*)|*.*",
                                              L"exe", L"Select Process.exe File To Monitor"};
    // A cancelled dialog leaves the name as it was: an emptied name would be watched, found
    // missing and reported as a stop that never happened.
    if (auto chosen = context_.pickFile(hwnd(), request))
        setControlText(PROCESS_NAME_TEXTBOX, *chosen);
}

void SettingsWindow::CREATE_FOLDERS_BUTTON_Click() {
    platform::Problems problems;
    for (const std::wstring& path : folderTree(context_.identity().folder))
        if (const platform::Result made = platform::makeFolder(path); !made.ok())
            problems.add(folderProblem(path, platform::describe(made)));
    showStatus(STATUS_LABEL, problems.text().value_or(L""));
}

void SettingsWindow::EMAIL_SETTINGS_BUTTON_Click() {
    email::EmailMainWindow window(context_, state_, switches_, hwnd(),
                                  [this] { setUpdateLight(ui::colours::kGreen); });
    openModal(window, EMAIL_SETTINGS_BUTTON, L"The e-mail settings");
}

void SettingsWindow::setUpdateLight(ui::Colour colour) {
    setColors(control(UPDATE_SETTINGS_LIGHT_TEXTBOX), {colour, colour});
}

void SettingsWindow::ABOUT_BUTTON_Click() {
    about::AboutWindow window(context_, hwnd());
    openModal(window, ABOUT_BUTTON, L"The About window");
}

void SettingsWindow::VIEW_OUTPUT_COMMANDS_BUTTON_Click() {
    email::OutputCommandsWindow window(context_, state_, hwnd());
    openModal(window, VIEW_OUTPUT_COMMANDS_BUTTON, L"The output commands");
}

void SettingsWindow::onCommand(int id, int code, HWND) {
    if (id == PROCESS_NAME_TEXTBOX) {
        if (code == EN_CHANGE) PROCESS_NAME_TEXTBOX_Change();
        if (code == EN_KILLFOCUS) PROCESS_NAME_TEXTBOX_LostFocus();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case ENABLED_TICKBOX: ENABLED_TICKBOX_Click(); break;
        case START_WITH_WINDOWS_TICKBOX: START_WITH_WINDOWS_TICKBOX_Click(); break;
        case RESTART_TICKBOX: RESTART_TICKBOX_Click(); break;
        case METRICS_FOLDER_FILL_BUTTON: METRICS_FOLDER_FILL_BUTTON_Click(); break;
        case STUCK_SETTINGS_BUTTON: STUCK_SETTINGS_BUTTON_Click(); break;
        case PUSH_SETTINGS_BUTTON: PUSH_SETTINGS_BUTTON_Click(); break;
        case AlwaysOnTop_TICKBOX: AlwaysOnTop_TICKBOX_Click(); break;
        case BROWSE_PROCESS_NAME_FILE_BUTTON: BROWSE_PROCESS_NAME_FILE_BUTTON_Click(); break;
        case CREATE_FOLDERS_BUTTON: CREATE_FOLDERS_BUTTON_Click(); break;
        case EMAIL_SETTINGS_BUTTON: EMAIL_SETTINGS_BUTTON_Click(); break;
        case VIEW_OUTPUT_COMMANDS_BUTTON: VIEW_OUTPUT_COMMANDS_BUTTON_Click(); break;
        case ABOUT_BUTTON: ABOUT_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::instance
