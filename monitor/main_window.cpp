#include "monitor/main_window.h"

#include "platform/window_stacking.h"
#include "settings/placement.h"

namespace kovalt::monitor {

namespace {
constexpr UINT kTickMs = 1000;

void follow(ui::Timer& timer, bool on) {
    // Switching on a timer that is on already would start its countdown again.
    if (timer.enabled() != on) timer.setEnabled(on);
}
}  // namespace

MainWindow::MainWindow(const platform::InstanceContext& context, InstanceState& state,
                       Watchdog& watchdog)
    : context_(context),
      state_(state),
      watchdog_(watchdog),
      AlwaysOnTopTimer_(*this, [this] { AlwaysOnTopTimer_Timer(); }),
      PROCESS_RUNNING_TIMER_(*this, [this] { PROCESS_RUNNING_TIMER_Timer(); }),
      PROCESS_STOPPED_TIMER_(*this, [this] { PROCESS_STOPPED_TIMER_Timer(); }),
      ALERT_TIMER_(*this, [this] { ALERT_TIMER_Timer(); }) {}

platform::Result MainWindow::open(int showCommand) {
    const platform::Result created =
        create(kClassName, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, L"KVA - ",
               nullptr, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    Form_Load();
    ::ShowWindow(hwnd(), showCommand);
    return {};
}

void MainWindow::createControls() {
    addPictureButton(TLV_BUTTON, context_.icons.program, {120, 0, 375, 255});
    addHeading(TLV_TITLE_2, L"KVA", {600, 0, 735, 255}, 8.25);

    HWND light = addLabel(RUN_LIGHT_LABEL, L"OFF", {1440, 0, 975, 255},
                          SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY);
    const LookStyle off = styleOf(RunLook::Initial);
    setColors(light, {off.text, off.background});
    setFont(light, L"Arial", 8.25, true);
}

void MainWindow::Form_Load() {
    namespace keys = settings::keys;
    const settings::InstanceSettings stored = context_.settings();
    applyPlacement(settings::readPlacement(stored, keys::kMainPlacement));
    state_.runningCommand = stored.text(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX);
    state_.stoppedCommand = stored.text(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX);
    state_.processName = stored.text(keys::PROCESS_NAME_TEXTBOX);
    state_.runnerName = stored.text(keys::RUNNER_NAME_TEXTBOX);
    setText(L"KVA - " + state_.runnerName);

    for (ui::Timer* timer : {&ALERT_TIMER_, &AlwaysOnTopTimer_})  // the others follow the watchdog
        timer->setInterval(kTickMs);
    AlwaysOnTopTimer_.setEnabled(stored.flag(keys::AlwaysOnTop_TICKBOX));
    watchdog_.changed = [this] { refresh(); };
    watchdog_.load(atLogon_);
}

void MainWindow::Form_Unload() {
    watchdog_.close();  // a mailer on its way finishes on its own
    context_.savePositionAtClose(*this, settings::keys::kMainPlacement, L"Where the strip is");
}

void MainWindow::AlwaysOnTopTimer_Timer() { platform::keepAboveForeground(hwnd()); }

void MainWindow::TLV_BUTTON_Click() {
    if (settingsOpen_ || !openSettings) return;
    // Created afresh at each opening, so it loads from the store again; the strip's timers
    // keep ticking while it is open.
    settingsOpen_ = true;
    const platform::Result opened = openSettings();
    settingsOpen_ = false;
    if (!opened.ok())
        showFailure(control(TLV_BUTTON),
                    L"The settings window could not open: " + platform::describe(opened));
}

void MainWindow::startMonitoring() {
    watchdog_.startMonitoring();
    // Enabling restarts the countdown even when the timer already runs.
    PROCESS_RUNNING_TIMER_.setEnabled(true);
}

void MainWindow::refresh() {
    const UINT interval = watchdog_.checkIntervalMs();
    for (ui::Timer* timer : {&PROCESS_RUNNING_TIMER_, &PROCESS_STOPPED_TIMER_})
        if (timer->interval() != interval) timer->setInterval(interval);
    follow(PROCESS_STOPPED_TIMER_, watchdog_.stoppedTimerOn());
    follow(PROCESS_RUNNING_TIMER_, watchdog_.runningTimerOn());
    follow(ALERT_TIMER_, watchdog_.alertTimerOn());
    if (ALERT_TIMER_.interval() != kTickMs) ALERT_TIMER_.setInterval(kTickMs);
    showRunLight();
}

void MainWindow::showRunLight() {
    const Watchdog::Shown shown = watchdog_.shown();
    // Most ticks find what the last one found: repainting the same look once a second would
    // cost more than the check itself and make the light flicker.
    if (shown_ && shown_->look == shown.look && shown_->tooltip == shown.tooltip &&
        shown_->failed == shown.failed)
        return;
    const LookStyle style = styleOf(shown.look);
    HWND label = runLight();
    setColors(label, {style.text, style.background});
    // An alert that is not sent, or a program not brought back, shows without hovering.
    const std::wstring caption = std::wstring(style.caption) + (shown.failed ? L" !" : L"");
    ::SetWindowTextW(label, caption.c_str());
    setTooltip(label, shown.tooltip);
    shown_ = shown;
}

void MainWindow::onCommand(int id, int code, HWND) {
    if (id == TLV_BUTTON && code == BN_CLICKED) TLV_BUTTON_Click();
}

bool MainWindow::onMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
        // Logging off ends the program without WM_CLOSE; keep the position all the same.
        case WM_ENDSESSION:
            if (wp) Form_Unload();
            result = 0;
            return true;
        default: return false;
    }
}

}  // namespace kovalt::monitor
