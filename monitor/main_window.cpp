#include "monitor/main_window.h"

#include <algorithm>
#include <cstdio>

#include "instance/settings_window.h"
#include "monitor/alert_paths.h"
#include "platform/files.h"
#include "platform/single_instance.h"
#include "platform/window_stacking.h"
#include "settings/placement.h"
#include "settings/value_text.h"

namespace kovalt::monitor {

namespace {
constexpr UINT kTickMs = 1000;
// The most of the mailer's log read at one tick: a log that another writer fills fast must not
// hold the window.
constexpr size_t kLogPiece = 1 << 20;

// A clock that only moves forward, for the alerts' waits.
Seconds now() { return static_cast<Seconds>(::GetTickCount64() / 1000); }

// The time of day `at` was (or will be), as the user's clock shows it.
std::wstring clockText(Seconds at) {
    FILETIME utc, local;
    ::GetSystemTimeAsFileTime(&utc);
    ULARGE_INTEGER t{{utc.dwLowDateTime, utc.dwHighDateTime}};
    t.QuadPart += (at - now()) * 10000000LL;
    utc = {t.LowPart, t.HighPart};
    SYSTEMTIME shown;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &shown))
        return L"?";
    wchar_t text[16];
    std::swprintf(text, 16, L"%02u:%02u:%02u", shown.wHour, shown.wMinute, shown.wSecond);
    return text;
}
}  // namespace

MainWindow::MainWindow(const platform::InstanceContext& context)
    : context_(context),
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

    runningCommand_ = stored.text(keys::EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX);
    stoppedCommand_ = stored.text(keys::EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX);
    processName_ = stored.text(keys::PROCESS_NAME_TEXTBOX);
    runnerName_ = stored.text(keys::RUNNER_NAME_TEXTBOX);
    setText(L"KVA - " + runnerName_);

    // Hidden keys, in no window: shorter waits for tests.
    AlertTiming timing{stored.seconds(keys::ALERT_RETRY_SECONDS),
                       stored.seconds(keys::ALERT_TIME_LIMIT_SECONDS)};
    timing.capWindow = stored.seconds(keys::ALERT_LIMIT_WINDOW_SECONDS);
    alerts_ = AlertQueue(timing);
    if (stored.holds(keys::REMINDER_SECONDS))
        reminderSeconds_ = stored.seconds(keys::REMINDER_SECONDS);
    setReminderMinutes(
        settings::parseWholeIn(stored.text(keys::REMINDER_MINUTES_TEXTBOX), 1, 1440).value_or(0));
    restarts_ = RestartPolicy({5, stored.seconds(keys::RESTART_WINDOW_SECONDS)});
    setRestart({stored.flag(keys::RESTART_TICKBOX), stored.text(keys::RESTART_COMMAND_TEXTBOX),
                stored.text(keys::RESTART_FOLDER_TEXTBOX)});
    ALERT_TIMER_.setInterval(kTickMs);
    AlwaysOnTopTimer_.setInterval(kTickMs);
    PROCESS_RUNNING_TIMER_.setInterval(kTickMs);
    PROCESS_STOPPED_TIMER_.setInterval(kTickMs);

    AlwaysOnTopTimer_.setEnabled(stored.flag(keys::AlwaysOnTop_TICKBOX));
    stableSeconds_ = stored.seconds(keys::RESTART_STABLE_SECONDS);
    const Owed owed = readOwed();
    const bool monitoring = stored.flag(keys::ENABLED_TICKBOX);
    // What was owed when the strip last closed goes first, before any check; but not while
    // monitoring is off, nor about a program no longer watched.
    if (!monitoring)
        alerts_.restore({AlertKind::None, 0, owed.lastSent}, now());
    else if (!owed.process.empty() && owed.process != processName_)
        keptNote_ = L"what was owed about " + owed.process +
                    L" was dropped: another program is watched now";
    else
        restoreOwed(owed);
    keepOwed();
    // Nothing is probed now: the first check comes one interval after load, or after the set
    // delay when Windows started the program at logon, so that a program starting with
    // Windows is not reported stopped.
    if (monitoring) {
        if (atLogon_) {
            const UINT delay =
                static_cast<UINT>(1000 * stored.seconds(keys::STARTUP_DELAY_SECONDS_TEXTBOX));
            PROCESS_RUNNING_TIMER_.setInterval(delay);
            PROCESS_STOPPED_TIMER_.setInterval(delay);
            firstCheckDelayed_ = true;
        }
        startMonitoring();
        // Owed a STOPPED: one more is not mailed when still stopped, a start is.
        if (owed.kind == AlertKind::Stopped) {
            monitor_.watchForStart();
            applyMonitorTimers();
        }
    } else {
        monitor_.disableAtLoad();
        applyMonitorTimers();
    }
}

void MainWindow::restoreOwed(const Owed& owed) {
    if (!owed.onItsWay) return startAlert(alerts_.restore(owed, now()));
    const TryOnItsWay& was = *owed.onItsWay;
    Try taken;
    if (platform::adoptScript(was.processId, was.created, taken.script)) {
        // Its mailer still runs: judged by what it adds to the log, within its own time.
        alerts_.restore(owed, now(), now() - platform::secondsSince(was.created));
        taken.id = alerts_.running().value_or(0);
        taken.logStart = taken.readTo = was.logStart;
        try_.emplace(std::move(taken));
        return startAlert(std::nullopt);
    }
    // It ended while the strip was closed: its words in the log say whether to send again.
    MailerLog log;
    long long at = was.logStart;
    for (int pieces = 0; pieces < 64; ++pieces) {
        const std::string piece = platform::readFileFrom(mailerLog(), at, kLogPiece);
        log.add(piece);
        at += static_cast<long long>(piece.size());
        if (piece.size() < kLogPiece) break;
    }
    const std::optional<MailerVerdict> verdict = log.verdict();
    if (verdict && verdict->sent)
        startAlert(alerts_.restore({AlertKind::None, 0, owed.kind}, now()));
    else
        startAlert(alerts_.restore(owed, now()));
}

void MainWindow::Form_Unload() {
    // A mailer on its way finishes on its own; the next start reads what it came to.
    try_.reset();
    context_.savePositionAtClose(*this, settings::keys::kMainPlacement, L"Where the strip is");
}

void MainWindow::AlwaysOnTopTimer_Timer() { platform::keepAboveForeground(hwnd()); }

void MainWindow::TLV_BUTTON_Click() {
    if (settingsWindow_) return;
    // Created afresh at each opening, so it loads from the store again; the strip's timers
    // keep ticking while it is open.
    instance::SettingsWindow settings(context_, *this);
    if (const platform::Result opened = settings.open(); !opened.ok())
        showFailure(control(TLV_BUTTON),
                    L"The settings window could not open: " + platform::describe(opened));
    else
        ui::showModal(settings, hwnd(), settingsWindow_);
}

void MainWindow::startMonitoring() {
    // Switched on from off, a restart given up is tried again; ticked again while on (as the
    // settings window does at its load), nothing of the restarts changes.
    if (!monitor_.runningTimerOn() && !monitor_.stoppedTimerOn()) restarts_.reset();
    monitor_.start();
    // Enabling restarts the countdown even when the timer already runs.
    PROCESS_RUNNING_TIMER_.setEnabled(true);
}

std::wstring MainWindow::stopMonitoring() {
    monitor_.stop();
    held_.clear();
    const bool dropped = alerts_.dropOwed(L"monitoring was switched off", false);
    keepOwed();
    applyMonitorTimers();
    showRunLight();
    return dropped ? alerts_.dropNote() : std::wstring();
}

std::wstring MainWindow::setProcessName(std::wstring name) {
    if (name == processName_) return {};
    const bool dropped =
        alerts_.dropOwed(L"another program than " + processName_ + L" is watched", true);
    processName_ = std::move(name);
    keepOwed();
    showRunLight();
    return dropped ? alerts_.dropNote() : std::wstring();
}

void MainWindow::setRestart(Restart restart) {
    restart_ = std::move(restart);
    if (!restart_.on) held_.clear();
}

void MainWindow::setReminderMinutes(int minutes) {
    alerts_.setRemindEvery(minutes > 0 ? reminderSeconds_.value_or(minutes * 60LL) : 0);
    ALERT_TIMER_.setEnabled(alerts_.busy() || alerts_.mayRemind());
}

void MainWindow::sendTest(std::function<void(bool, const std::wstring&)> done) {
    testDone_ = std::move(done);
    startAlert(alerts_.test(now()));
}

void MainWindow::tellTestOutcome() {
    const std::optional<AlertQueue::TestOutcome> outcome = alerts_.takeTestOutcome();
    if (!outcome || !testDone_) return;
    const auto done = std::exchange(testDone_, nullptr);
    if (outcome->sent)
        done(true, L"Test e-mail sent at " + clockText(outcome->at));
    else
        done(false, L"Test e-mail not sent: " + outcome->why + L" (log: " + mailerLog() + L")");
}

Owed MainWindow::readOwed() {
    namespace keys = settings::keys;
    const platform::ProgramIdentity program = context_.identity();
    const std::optional<std::wstring> kept =
        context_.store
            .read(keys::OWED_ALERT.application, program.instanceName, keys::OWED_ALERT.name)
            .text;
    keptText_ = kept.value_or(L"");
    if (const std::optional<Owed> owed = readKept(keptText_)) return *owed;
    keptNote_ = L"what was owed from before the restart could not be read and was dropped";
    return {};
}

void MainWindow::keepOwed() {
    Owed owed = alerts_.owed(now());
    // Kept as it starts, so that even a strip that dies leaves its try to the next start.
    if (try_ && owed.kind != AlertKind::None && alerts_.running() == try_->id)
        owed.onItsWay =
            TryOnItsWay{try_->script.processId(), try_->script.created(), try_->logStart};
    if (owed.kind != AlertKind::None || owed.lastSent != AlertKind::None)
        owed.process = processName_;
    const std::wstring text = keptText(owed);
    if (text == keptText_) return;
    const platform::Result saved = context_.settings().save(settings::keys::OWED_ALERT, text);
    if (saved.ok())
        keptText_ = text;
    else
        keptNote_ =
            L"what is owed could not be kept for the next start: " + platform::describe(saved);
}

void MainWindow::monitorTick(MonitorTimer timer, bool seenEnding) {
    // A probe can wait inside COM, which may dispatch another timer message meanwhile; a tick
    // must never run inside another one, or one change could send two alerts.
    if (ticking_) return;
    ticking_ = true;
    const std::wstring name = processName_;
    // While every running copy is held and none has ended there is nothing to ask: their end
    // is seen the moment it comes.
    platform::ProbeResult probe;
    if (seenEnding)
        probe = {platform::ProbeOutcome::NotFound, 0, {}};
    else if (restart_.on && timer == MonitorTimer::Running && allStillHeld(name))
        probe = {platform::ProbeOutcome::Found, static_cast<unsigned>(held_.size()), {}};
    else
        probe = context_.probe(name, restart_.on);
    if (restart_.on && !seenEnding && probe.error.ok() && probe.ids.size() == probe.count)
        hold(name, probe.ids);
    const AlertKind alert =
        monitor_.tick(timer, name, probe.outcome,
                      probe.error.ok() ? std::wstring() : platform::failureText(probe));
    if (firstCheckDelayed_) {  // from now on, once a second
        firstCheckDelayed_ = false;
        PROCESS_RUNNING_TIMER_.setInterval(kTickMs);
        PROCESS_STOPPED_TIMER_.setInterval(kTickMs);
    }
    if (alert != AlertKind::None) {
        keptNote_.clear();
        // A start the watchdog made is told once the program has proved it stays up.
        const bool restarted = alert == AlertKind::Running && restarts_.takeRestarted();
        startAlert(alerts_.due(alert, now(), restarted ? now() + stableSeconds_ : 0));
    }
    if (probe.outcome == platform::ProbeOutcome::Found) {
        restarts_.seenRunning();
        if (settingsWindow_) settingsWindow_->processSeenRunning();
    }
    if (probe.outcome == platform::ProbeOutcome::NotFound) restartIfDue();
    showRunLight();
    applyMonitorTimers();
    ticking_ = false;
}

bool MainWindow::ended(const Held& held) {
    return ::WaitForSingleObject(held.process.get(), 0) == WAIT_OBJECT_0;
}

bool MainWindow::allStillHeld(const std::wstring& name) const {
    if (!allHeld_ || held_.empty() || name != heldName_) return false;
    return std::none_of(held_.begin(), held_.end(), ended);
}

void MainWindow::hold(const std::wstring& name, const std::vector<unsigned long>& ids) {
    if (name != heldName_) held_.clear();
    heldName_ = name;
    std::erase_if(held_, [&](const Held& h) {
        return std::find(ids.begin(), ids.end(), h.id) == ids.end() || ended(h);
    });
    allHeld_ = true;
    for (unsigned long id : ids) {
        if (std::any_of(held_.begin(), held_.end(), [id](const Held& h) { return h.id == id; }))
            continue;
        platform::UniqueHandle process = platform::openToWait(id);
        if (!process)
            allHeld_ = false;  // another user's or an elevated process: asked about
        else
            watch(id, std::move(process));
    }
    for (const Held& h : held_) allHeld_ = allHeld_ && h.wait->watched();
}

void MainWindow::watch(unsigned long id, platform::UniqueHandle process) {
    HANDLE handle = process.get();
    held_.push_back({id, std::move(process), std::make_unique<ui::HandleWait>(handle, [this] {
                         if (!monitor_.runningTimerOn() && !monitor_.stoppedTimerOn()) return;
                         // Every copy held has ended: this instance saw the stop, whatever
                         // another one may have started since. Else count again now.
                         const bool allEnded = allHeld_ && !held_.empty() &&
                                               std::all_of(held_.begin(), held_.end(), ended);
                         monitorTick(monitor_.runningTimerOn() ? MonitorTimer::Running
                                                               : MonitorTimer::Stopped,
                                     allEnded);
                     })});
}

void MainWindow::restartIfDue() {
    if (!restart_.on || !restarts_.due(now())) return;
    // One instance at a time restarts a program, and each counts again first: another
    // instance watching it may have brought it back already. Busy: the next check sees.
    const platform::RestartLock lock(processName_);
    if (!lock.held()) return;
    if (context_.probe(processName_, false).outcome != platform::ProbeOutcome::NotFound) return;
    platform::StartedProgram program;
    const platform::Result started =
        context_.startProgram(restart_.command, restart_.folder, program);
    restarts_.started(now(), started.ok() ? std::wstring() : platform::describe(started));
    // Held from its start, so that a program that ends at once is seen to.
    if (started.ok() && program.process) watch(program.id, std::move(program.process));
}

std::wstring MainWindow::mailerLog() const {
    const platform::ProgramIdentity program = context_.identity();
    return mailerLogPath(program.folder, program.instanceName);
}

void MainWindow::startAlert(AlertQueue::Next next) {
    while (next) {
        // The path is built now, from where the program lies at this moment; each try runs
        // the script as it is then.
        const platform::ProgramIdentity program = context_.identity();
        const std::wstring path = alertScriptPath(program.folder, program.instanceName, next->kind);
        try_.emplace();
        try_->id = next->id;
        try_->logStart = try_->readTo = std::max(platform::fileSize(mailerLog()), 0LL);
        const platform::Result started = context_.startScript(path, try_->script);
        if (started.ok()) break;
        try_.reset();
        next = alerts_.notStarted(
            next->id, L"could not start " + path + L" - " + platform::describe(started), now());
    }
    tellTestOutcome();
    keepOwed();
    ALERT_TIMER_.setEnabled(alerts_.busy() || alerts_.mayRemind());
}

AlertQueue::Observation MainWindow::observeTry() {
    // Whether it has ended is asked first: what it wrote before its end is then all read.
    const std::optional<unsigned long> exit = try_->script.exitCode();
    const std::string piece = platform::readFileFrom(mailerLog(), try_->readTo, kLogPiece);
    try_->log.add(piece);
    try_->readTo += static_cast<long long>(piece.size());
    return {exit.has_value(), exit.value_or(0), try_->log.grew(), piece.size() < kLogPiece,
            try_->log.verdict()};
}

void MainWindow::ALERT_TIMER_Timer() {
    if (try_) {
        bool end = false;
        const AlertQueue::Next next = alerts_.observe(try_->id, observeTry(), now(), end);
        if (end) try_->script.end();
        if (alerts_.running() != try_->id) try_.reset();
        startAlert(next);
    }
    // No reminder while the process cannot be seen, or is not watched.
    const bool seeing = (monitor_.runningTimerOn() || monitor_.stoppedTimerOn()) &&
                        monitor_.light().look != RunLook::NoCheck;
    startAlert(alerts_.tick(now(), seeing));
    showRunLight();
}

void MainWindow::applyMonitorTimers() {
    if (PROCESS_STOPPED_TIMER_.enabled() != monitor_.stoppedTimerOn())
        PROCESS_STOPPED_TIMER_.setEnabled(monitor_.stoppedTimerOn());
    if (PROCESS_RUNNING_TIMER_.enabled() != monitor_.runningTimerOn())
        PROCESS_RUNNING_TIMER_.setEnabled(monitor_.runningTimerOn());
}

void MainWindow::showRunLight() {
    RunLight light = monitor_.light();
    for (const std::wstring& line :
         {alerts_.tooltipLine(clockText, mailerLog()),
          restart_.on ? restarts_.tooltipLine(clockText) : std::wstring(), keptNote_})
        if (!line.empty()) light.tooltip += L"\r\n" + line;
    const LookStyle style = styleOf(light.look);
    // An alert that is not sent, or a program not brought back, shows without hovering.
    const bool failed = alerts_.notSent() || (restart_.on && restarts_.failed());
    const std::wstring caption = std::wstring(style.caption) + (failed ? L" !" : L"");
    // Most ticks find what the last one found: repainting the same look once a second would
    // cost more than the check itself and make the light flicker.
    if (shownLight_ && shownLight_->look == light.look && shownLight_->tooltip == light.tooltip &&
        shownCaption_ == caption)
        return;
    HWND label = runLight();
    setColors(label, {style.text, style.background});
    ::SetWindowTextW(label, caption.c_str());
    setTooltip(label, light.tooltip);
    shownLight_ = light;
    shownCaption_ = caption;
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
