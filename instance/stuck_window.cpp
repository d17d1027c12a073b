#include "instance/stuck_window.h"

#include "email/alert_scripts.h"
#include "instance/stuck_entries.h"
#include "monitor/alert_paths.h"
#include "monitor/stuck_checks.h"
#include "platform/files.h"
#include "settings/placement.h"

namespace kovalt::instance {

namespace keys = settings::keys;

namespace {
// The boxes and the keys they are kept under, in the order they are read and stored.
constexpr std::pair<int, const settings::SettingKey*> kBoxes[] = {
    {StuckWindow::STUCK_FILE_TEXTBOX, &keys::STUCK_FILE_TEXTBOX},
    {StuckWindow::STUCK_FILE_MINUTES_TEXTBOX, &keys::STUCK_FILE_MINUTES_TEXTBOX},
    {StuckWindow::STUCK_ADDRESS_TEXTBOX, &keys::STUCK_ADDRESS_TEXTBOX},
    {StuckWindow::STUCK_ADDRESS_FAILURES_TEXTBOX, &keys::STUCK_ADDRESS_FAILURES_TEXTBOX},
    {StuckWindow::STUCK_CPU_MINUTES_TEXTBOX, &keys::STUCK_CPU_MINUTES_TEXTBOX},
};
constexpr std::pair<int, const settings::SettingKey*> kTicks[] = {
    {StuckWindow::STUCK_WINDOW_TICKBOX, &keys::STUCK_WINDOW_TICKBOX},
    {StuckWindow::RESTART_STUCK_TICKBOX, &keys::RESTART_STUCK_TICKBOX},
};
}  // namespace

StuckWindow::StuckWindow(const platform::InstanceContext& context,
                         const monitor::InstanceState& state, monitor::Switches& switches,
                         HWND owner, std::function<bool()> restartReady)
    : context_(context),
      state_(state),
      switches_(switches),
      owner_(owner),
      restartReady_(std::move(restartReady)) {}

platform::Result StuckWindow::open() {
    const platform::Result created =
        create(L"KOVALT_STUCK_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
               L"KOV-ALT - Is it working?", owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    Form_Load();
    return {};
}

void StuckWindow::createControls() {
    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 60, 1815, 315});
    addHeading(HEADING_LABEL, L"IS IT WORKING?", {2040, 60, 4615, 315});
    addLabel(STUCK_FILE_LABEL, L"Its log file: stuck when unchanged for", {120, 525, 3600, 240});
    addTextBox(STUCK_FILE_MINUTES_TEXTBOX, L"", {3780, 480, 615, 315});
    addLabel(STUCK_FILE_MINUTES_LABEL, L"minutes", {4455, 525, 2200, 240});
    addTextBox(STUCK_FILE_TEXTBOX, L"", {120, 825, 6535, 315});
    addLabel(STUCK_ADDRESS_LABEL, L"An address that must answer (host:port or http(s):// URL)",
             {120, 1305, 6535, 240});
    addTextBox(STUCK_ADDRESS_TEXTBOX, L"", {120, 1560, 3480, 315});
    addLabel(STUCK_ADDRESS_FAILURES_LABEL, L"stuck after", {3660, 1605, 870, 240});
    addTextBox(STUCK_ADDRESS_FAILURES_TEXTBOX, L"", {4530, 1560, 480, 315});
    addLabel(STUCK_ADDRESS_FAILURES_UNIT_LABEL, L"failures in a row", {5070, 1605, 1585, 240});
    addLabel(STUCK_CPU_LABEL, L"Its CPU time: stuck when unchanged for", {120, 2085, 3600, 240});
    addTextBox(STUCK_CPU_MINUTES_TEXTBOX, L"", {3780, 2040, 615, 315});
    addLabel(STUCK_CPU_UNIT_LABEL, L"minutes (empty: off)", {4455, 2085, 2200, 240});
    addTickBox(STUCK_WINDOW_TICKBOX, L"Stuck when its window is \"Not Responding\" for 30 s",
               {120, 2520, 6535, 255});
    addLabel(STUCK_WINDOW_NOTE_LABEL, L"(a console program has no window for this check)",
             {390, 2790, 6265, 240});
    addTickBox(RESTART_STUCK_TICKBOX,
               L"Restart when stuck (with the command of Restart when stopped)",
               {120, 3180, 6535, 255});
    addStatusLine(STATUS_LABEL, {120, 3525, 6535, 255});
    addButton(CANCEL_BUTTON, L"Cancel", {3240, 3870, 1575, 435});
    addButton(OK_BUTTON, L"OK", {4980, 3870, 1675, 435}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    setCancelButton(CANCEL_BUTTON);
}

void StuckWindow::Form_Load() {
    const settings::InstanceSettings stored = context_.settings();
    applyPlacement(settings::readPlacement(stored, keys::kStuckPlacement));
    for (const auto& [id, key] : kBoxes) setControlText(id, stored.text(*key));
    for (const auto& [id, key] : kTicks) setTickValue(id, stored.tickState(*key));
}

void StuckWindow::Form_Unload() {
    context_.savePositionAtClose(*this, keys::kStuckPlacement, L"Where the window is");
}

std::optional<std::wstring> StuckWindow::store() {
    const StuckEntries typed{
        controlText(STUCK_FILE_TEXTBOX), controlText(STUCK_FILE_MINUTES_TEXTBOX),
        controlText(STUCK_ADDRESS_TEXTBOX), controlText(STUCK_ADDRESS_FAILURES_TEXTBOX),
        controlText(STUCK_CPU_MINUTES_TEXTBOX)};
    if (const std::optional<std::wstring> problem = stuckProblem(typed, platform::folderExists))
        return *problem + L" Nothing was stored.";
    if (tickValue(RESTART_STUCK_TICKBOX) && !restartReady_())
        return std::wstring(
            L"Restart when stuck needs Restart when stopped ticked with its command in the "
            L"settings window. Nothing was stored.");
    const settings::InstanceSettings stored = context_.settings();
    platform::Result saved = context_.savePosition(*this, keys::kStuckPlacement);
    // A key is written only when it changes, so that a window confirmed untouched adds none.
    const auto keep = [&](const settings::SettingKey& key, const std::wstring& value) {
        if (stored.text(key) != value) saved.keep(stored.save(key, value));
    };
    for (const auto& [id, key] : kBoxes) keep(*key, controlText(id));
    for (const auto& [id, key] : kTicks) keep(*key, std::to_wstring(tickValue(id)));
    if (!saved.ok()) return L"The checks could not be stored: " + platform::describe(saved);
    switches_.setStuckChecks(monitor::stuckSetup(stored), stored.flag(keys::RESTART_STUCK_TICKBOX));
    return keepStuckScript();
}

std::optional<std::wstring> StuckWindow::keepStuckScript() {
    const settings::InstanceSettings stored = context_.settings();
    const platform::ProgramIdentity program = context_.identity();
    const std::wstring path =
        monitor::alertScriptPath(program.folder, program.instanceName, monitor::AlertKind::Stuck);
    if (!monitor::stuckChecksSet(stored)) {
        ::DeleteFileW(path.c_str());  // no check, no stuck alert
        return std::nullopt;
    }
    const std::optional<email::OneScript> script =
        email::stuckScript(state_.processName, stored, program.folder, platform::ansiAndOemAgree,
                           platform::toAnsi, platform::shortPathOf);
    if (!script) return std::nullopt;  // no e-mail settings yet: their OK writes it
    if (script->problem)
        return L"The checks were stored, but the stuck alert's script was not written: " +
               script->problem->message;
    std::wstring failed;
    if (const platform::Result written = platform::replaceFiles({&script->file, 1}, failed);
        !written.ok())
        return L"The checks were stored, but " +
               email::scriptWriteProblem(failed, written.code, platform::describe(written));
    return std::nullopt;
}

void StuckWindow::OK_BUTTON_Click() {
    if (const std::optional<std::wstring> problem = store())
        showStatus(STATUS_LABEL, *problem);
    else
        close();
}

void StuckWindow::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    if (id == OK_BUTTON) OK_BUTTON_Click();
    if (id == CANCEL_BUTTON) CANCEL_BUTTON_Click();
}

}  // namespace kovalt::instance
