#include "monitor/watchdog.h"

#include "monitor/push_settings.h"
#include "settings/value_text.h"

namespace kovalt::monitor {

namespace keys = settings::keys;

Watchdog::Watchdog(WatchdogServices services, InstanceState& state)
    : services_(std::move(services)), state_(state) {
    services_.hold->ended = [this] {
        if (!monitor_.runningTimerOn() && !monitor_.stoppedTimerOn()) return;
        // Every copy held has ended: this instance saw the stop, whatever another one may have
        // started since. Else count again now.
        tick(monitor_.runningTimerOn() ? MonitorTimer::Running : MonitorTimer::Stopped,
             services_.hold->allEnded());
    };
}

void Watchdog::addRoad(AlertRoad& road, const settings::SettingKey& owedKey) {
    roads_.push_back({&road, &owedKey, AlertQueue(), std::nullopt, {}, nullptr});
    road.ended = [this] { alertTick(); };
}

void Watchdog::load(bool atLogon) {
    const settings::InstanceSettings stored = services_.settings();
    // Hidden keys, in no window: shorter waits for tests.
    AlertTiming timing{stored.seconds(keys::ALERT_RETRY_SECONDS),
                       stored.seconds(keys::ALERT_TIME_LIMIT_SECONDS)};
    timing.capWindow = stored.seconds(keys::ALERT_LIMIT_WINDOW_SECONDS);
    for (Road& r : roads_) r.queue = AlertQueue(timing);
    reloadRoads();
    if (stored.holds(keys::REMINDER_SECONDS))
        reminderSeconds_ = stored.seconds(keys::REMINDER_SECONDS);
    setReminderMinutes(
        settings::parseWholeIn(stored.text(keys::REMINDER_MINUTES_TEXTBOX), 1, 1440).value_or(0));
    restarts_ = RestartPolicy({5, stored.seconds(keys::RESTART_WINDOW_SECONDS)});
    stableSeconds_ = stored.seconds(keys::RESTART_STABLE_SECONDS);
    metricsEvery_ = stored.seconds(keys::METRICS_SECONDS);
    metricsFolder_ = stored.text(keys::METRICS_FOLDER_TEXTBOX);
    setRestart({stored.flag(keys::RESTART_TICKBOX), stored.text(keys::RESTART_COMMAND_TEXTBOX),
                stored.text(keys::RESTART_FOLDER_TEXTBOX)});
    setStuckChecks(stuckSetup(stored), stored.flag(keys::RESTART_STUCK_TICKBOX));
    const bool monitoring = stored.flag(keys::ENABLED_TICKBOX);
    bool owedStop = false;
    // What was owed when the strip last closed goes first, before any check; but not while
    // monitoring is off, nor about a program no longer watched.
    for (Road& r : roads_) {
        const std::wstring text = stored.text(*r.owedKey);
        std::optional<Owed> owed = readKept(text);
        r.kept = text;
        if (!owed) {
            keptNote_ = L"what was owed from before the restart could not be read and was dropped";
            owed = Owed{};
        }
        if (!monitoring)
            r.queue.restore({AlertKind::None, 0, owed->lastSent}, services_.now());
        else if (!owed->process.empty() && owed->process != state_.processName)
            keptNote_ = L"what was owed about " + owed->process +
                        L" was dropped: another program is watched now";
        else
            restore(r, *owed);
        keepOwed(r);
        owedStop = owedStop || (monitoring && owed->kind == AlertKind::Stopped &&
                                (owed->process.empty() || owed->process == state_.processName));
    }
    // Nothing is checked now: the first check comes one interval after load, or after the set
    // delay when Windows started the program at logon, so that a program starting with
    // Windows is not reported stopped.
    if (monitoring) {
        if (atLogon)
            firstCheckMs_ =
                static_cast<unsigned>(1000 * stored.seconds(keys::STARTUP_DELAY_SECONDS_TEXTBOX));
        startMonitoring();
        // Owed a STOPPED: one more is not mailed when still stopped, a start is.
        if (owedStop) monitor_.watchForStart();
    } else {
        monitor_.disableAtLoad();
    }
    notify();
}

void Watchdog::restore(Road& r, const Owed& owed) {
    const Seconds now = services_.now();
    if (!owed.onItsWay) return start(r, r.queue.restore(owed, now));
    std::optional<TryOutcome> judged;
    if (const std::optional<Seconds> runFor = r.road->takeUp(*owed.onItsWay, judged)) {
        // Still on its way: judged at its end, within its own time.
        r.queue.restore(owed, now, now - *runFor);
        r.tryId = r.queue.running();
        return start(r, std::nullopt);
    }
    // It ended while the strip was closed: sent, or sent again.
    if (judged && judged->sent)
        start(r, r.queue.restore({AlertKind::None, 0, owed.kind}, now));
    else
        start(r, r.queue.restore(owed, now));
}

void Watchdog::close() {
    for (Road& r : roads_) r.road->letGo();
    writeMetrics(true);  // closed by hand: "off", which no rule should page for
}

void Watchdog::startMonitoring() {
    // Switched on from off, a restart given up is tried again; ticked again while on (as the
    // settings window does at its load), nothing of the restarts changes.
    if (!monitor_.runningTimerOn() && !monitor_.stoppedTimerOn()) restarts_.reset();
    monitor_.start();
    notify();
}

void Watchdog::dropOwed(const std::wstring& why, bool afresh, std::wstring& note) {
    for (Road& r : roads_) {
        if (r.queue.dropOwed(why, afresh) && note.empty()) note = r.queue.dropNote();
        keepOwed(r);
    }
}

std::wstring Watchdog::stopMonitoring() {
    monitor_.stop();
    services_.hold->release();
    std::wstring dropped;
    dropOwed(L"monitoring was switched off", false, dropped);
    notify();
    return dropped;
}

std::wstring Watchdog::watchName(const std::wstring& name) {
    if (name == state_.processName) return {};
    std::wstring dropped;
    dropOwed(L"another program than " + state_.processName + L" is watched", true, dropped);
    state_.processName = name;
    for (Road& r : roads_) keepOwed(r);
    setStuckChecks(stuckSetup_, restartStuck_);  // the checks name the program
    notify();
    return dropped;
}

void Watchdog::setStuckChecks(const StuckSetup& setup, bool restartStuck) {
    stopLookingForStuck();
    stuckSetup_ = setup;
    stuck_ = StuckChecks(setup, state_.processName);
    restartStuck_ = restartStuck;
}

void Watchdog::stopLookingForStuck() {
    stuck_.reset();
    fileLook_.reset();
    addressTry_.reset();
}

std::wstring Watchdog::lookForStuck(const std::optional<std::vector<unsigned long>>& ids) {
    const Seconds now = services_.now();
    // A look that may hang answers later, and counts at the next tick; a file on a local disk is
    // looked at at once (its answer comes before the call returns).
    if (stuck_.file && !fileLook_)
        fileLook_ = services_.lookAtFile(stuck_.file->path(), [this](const platform::FileSeen& f) {
            if (stuck_.file) stuck_.file->seen(f, services_.now());
            fileLook_.reset();
        });
    if (stuck_.address && stuck_.address->due(now)) {
        const int n = stuck_.address->tried(now);
        addressTry_ = services_.askAddress(
            *stuck_.address->address(), [this, n](const platform::AddressAnswer& answer) {
                if (stuck_.address) stuck_.address->answered(n, answer, services_.now());
            });
    }
    if (ids && stuck_.cpu) stuck_.cpu->seen(services_.cpuTimes(*ids), now);
    if (ids && stuck_.window) stuck_.window->seen(services_.windows(*ids), now);
    return stuck_.stuck() ? stuck_.line(services_.clock) : std::wstring();
}

void Watchdog::setRestart(RestartCommand restart) {
    restart_ = std::move(restart);
    if (!restart_.on) services_.hold->release();
}

void Watchdog::setReminderMinutes(int minutes) {
    for (Road& r : roads_)
        r.queue.setRemindEvery(minutes > 0 ? reminderSeconds_.value_or(minutes * 60LL) : 0);
    notify();
}

void Watchdog::sendTest(std::function<void(bool, const std::wstring&)> done) {
    sendTest(roads_.front(), std::move(done));
}

void Watchdog::sendTestPush(const PushConfig& config,
                            std::function<void(bool, const std::wstring&)> done) {
    services_.testPushWith(config);
    for (Road& r : roads_)
        if (r.road->name() == L"push") sendTest(r, std::move(done));
}

void Watchdog::sendTest(Road& r, std::function<void(bool, const std::wstring&)> done) {
    r.testDone = std::move(done);
    start(r, r.queue.test(services_.now()));
}

void Watchdog::forgetTest() {
    for (Road& r : roads_) r.testDone = nullptr;
}

void Watchdog::reloadRoads() {
    for (Road& r : roads_) {
        r.road->reload();
        if (!r.road->active() && r.queue.dropOwed(L"the road is no longer set up", true))
            keepOwed(r);
    }
    const settings::InstanceSettings stored = services_.settings();
    const std::optional<std::wstring> read =
        services_.unprotect(stored.text(keys::HEARTBEAT_URL_TEXTBOX));
    const std::wstring url = read.value_or(L"");
    heartbeatNote_ = read ? L""
                          : L"heartbeat off: its stored URL could not be read (kept for another "
                            L"Windows user or PC)";
    ping_.reset();
    if (url.empty())
        heartbeat_.reset();
    else
        heartbeat_.emplace(url, heartbeatPeriod(stored));
    notify();
}

void Watchdog::tellTestOutcome(Road& r) {
    const std::optional<AlertQueue::TestOutcome> outcome = r.queue.takeTestOutcome();
    if (!outcome || !r.testDone) return;
    const auto done = std::exchange(r.testDone, nullptr);
    done(outcome->sent, testLine(*outcome, services_.clock, r.road->name(), r.road->whereToLook()));
}

void Watchdog::keepOwed(Road& r) {
    Owed owed = r.queue.owed(services_.now());
    // Kept as it starts, so that even a strip that dies leaves its try to the next start.
    if (r.tryId && owed.kind != AlertKind::None && r.queue.running() == r.tryId)
        owed.onItsWay = r.road->onItsWay();
    if (owed.kind != AlertKind::None || owed.lastSent != AlertKind::None)
        owed.process = state_.processName;
    const std::wstring text = keptText(owed);
    if (text == r.kept) return;
    const platform::Result saved = services_.settings().save(*r.owedKey, text);
    if (saved.ok())
        r.kept = text;
    else
        keptNote_ =
            L"what is owed could not be kept for the next start: " + services_.describe(saved);
}

void Watchdog::tick(MonitorTimer timer, bool seenEnding) {
    // A check can wait inside COM, which may dispatch another timer message meanwhile; a tick
    // must never run inside another one, or one change could send two alerts.
    if (ticking_) return;
    ticking_ = true;
    const std::wstring name = state_.processName;
    // While every running copy is held and none has ended there is nothing to ask: their end
    // is seen the moment it comes.
    // The checks that it works look at the very processes the count found, and a stuck one is
    // ended by them: counted each time.
    const bool ids = restart_.on || stuck_.any();
    CheckAnswer answer;
    if (seenEnding)
        answer = {ProbeOutcome::NotFound, std::nullopt, {}};
    else if (restart_.on && !stuck_.any() && timer == MonitorTimer::Running &&
             services_.hold->allStillHeld(name))
        answer = {ProbeOutcome::Found, std::nullopt, {}};
    else
        answer = services_.check(name, ids);
    if (restart_.on && answer.ids) services_.hold->hold(name, *answer.ids);
    // No check that the program works while it is not seen running: each run is judged afresh.
    const bool running = answer.outcome == ProbeOutcome::Found && timer == MonitorTimer::Running;
    if (!running) stopLookingForStuck();
    const std::wstring stuck = running && stuck_.any() ? lookForStuck(answer.ids) : L"";
    const AlertKind alert = monitor_.tick(timer, name, answer.outcome, answer.why, stuck);
    lastCheck_ = services_.wallClock();
    firstCheckMs_ = 0;  // from now on, once a second
    if (alert != AlertKind::None) {
        keptNote_.clear();
        // A start the watchdog made is told once the program has proved it stays up.
        const Seconds now = services_.now();
        const bool restarted = alert == AlertKind::Running && restarts_.takeRestarted();
        for (Road& r : roads_)
            if (r.road->active())
                start(r, r.queue.due(alert, now, restarted ? now + stableSeconds_ : 0));
        // Stuck, and to be brought back: ended, so that its end is a stop, and restarted then.
        if (alert == AlertKind::Stuck && restartStuck_ && restart_.on && answer.ids) {
            services_.endProgram(*answer.ids);
            stuckRestart_ = restartsMade_ + 1;  // the restart that follows
        }
    }
    if (answer.outcome == ProbeOutcome::Found) {
        restarts_.seenRunning();
        if (seenRunning) seenRunning();
    }
    if (answer.outcome == ProbeOutcome::NotFound) restartIfDue();
    ticking_ = false;
    notify();
}

void Watchdog::restartIfDue() {
    const Seconds now = services_.now();
    if (!restart_.on || !restarts_.due(now)) return;
    // One instance at a time restarts a program, and each counts again first: another
    // instance watching it may have brought it back already. Busy: the next check sees.
    const std::shared_ptr<void> lock = services_.restartLock(state_.processName);
    if (!lock) return;
    if (services_.check(state_.processName, false).outcome != ProbeOutcome::NotFound) return;
    const std::optional<std::wstring> failure =
        services_.startProgram(restart_.command, restart_.folder);
    restarts_.started(now, failure.value_or(L""));
    restartsMade_ += !failure;
}

void Watchdog::start(Road& r, AlertQueue::Next next) {
    const Seconds now = services_.now();
    while (next) {
        const std::optional<std::wstring> why =
            r.road->start({next->kind, next->reminder, state_.processName});
        if (!why) {
            r.tryId = next->id;
            break;
        }
        r.tryId.reset();
        ++r.failed;
        next = r.queue.finished(next->id, {false, *why}, now);
    }
    tellTestOutcome(r);
    keepOwed(r);
    notify();
}

void Watchdog::alertTick() {
    const Seconds now = services_.now();
    // No reminder while the process cannot be seen, or is not watched.
    const bool seeing = (monitor_.runningTimerOn() || monitor_.stoppedTimerOn()) &&
                        monitor_.light().look != RunLook::NoCheck;
    for (Road& r : roads_) {
        if (r.tryId) {
            std::optional<TryOutcome> outcome = r.road->outcome();
            if (!outcome && r.queue.timeUp(*r.tryId, now))
                outcome = r.road->end(r.queue.timeLimit());
            if (outcome) {
                ++(outcome->sent ? r.sent : r.failed);
                start(r, r.queue.finished(*std::exchange(r.tryId, std::nullopt), *outcome, now));
            }
        }
        start(r, r.queue.tick(now, seeing));
    }
    heartbeatTick();
}

bool Watchdog::alertTimerOn() const {
    // The metrics file is rewritten every so often, monitoring or not; the heartbeat pings.
    if (!metricsFolder_.empty() || heartbeat_) return true;
    for (const Road& r : roads_)
        if (r.queue.busy() || r.queue.mayRemind()) return true;
    return false;
}

Watchdog::Shown Watchdog::shown() const {
    RunLight light = monitor_.light();
    std::vector<std::wstring> lines;
    bool failed = restart_.on && restarts_.failed();
    for (const Road& r : roads_) {
        lines.push_back(
            alertsLine(r.queue.shown(), services_.clock, r.road->name(), r.road->whereToLook()));
        failed = failed || r.queue.notSent();
    }
    if (restart_.on) {
        const std::wstring restarted = restartLine(restarts_.shown(), services_.clock);
        lines.push_back(restartsMade_ == stuckRestart_ && restarted.starts_with(L"restarted")
                            ? L"ended stuck program, " + restarted
                            : restarted);
    }
    if (monitor_.light().look == RunLook::Running) lines.push_back(stuck_.line(services_.clock));
    if (stuck_.any() && restartStuck_ && !restart_.on)
        lines.push_back(L"Restart when stuck waits for Restart when stopped to be on");
    lines.push_back(heartbeat_ ? heartbeat_->line(services_.clock) : heartbeatNote_);
    lines.push_back(keptNote_);
    lines.push_back(metricsNote_);
    for (const std::wstring& line : lines)
        if (!line.empty()) light.tooltip += L"\r\n" + line;
    return {light.look, light.tooltip, failed};
}

void Watchdog::notify() {
    if (monitor_.light().look != lastLook_) {
        lastLook_ = monitor_.light().look;
        lastChange_ = services_.wallClock();
    }
    writeMetrics();
    heartbeatTick();  // a stop is told at once
    if (changed) changed();
}

}  // namespace kovalt::monitor
