#include "monitor/alert_queue.h"

#include <algorithm>

namespace kovalt::monitor {

namespace {
const wchar_t* kindWord(AlertKind kind) {
    return kind == AlertKind::Running   ? L"RUNNING"
           : kind == AlertKind::Stopped ? L"STOPPED"
                                        : L"NONE";
}
std::optional<AlertKind> kindOf(std::wstring_view word) {
    for (AlertKind k : {AlertKind::None, AlertKind::Running, AlertKind::Stopped})
        if (word == kindWord(k)) return k;
    return std::nullopt;
}
// A clean exit with nothing in the log is believed after this long: a mailer that logs has
// written its verdict by then.
constexpr Seconds kQuietGrace = 10;

// The later tries wait 1, 2, 4, 8, then 15 times the first wait.
Seconds retryDelay(const AlertTiming& timing, int failures) {
    constexpr Seconds factors[] = {1, 2, 4, 8, 15};
    return timing.firstRetry * factors[std::min(failures, 5) - 1];
}
}  // namespace

std::optional<MailerVerdict> verdictIn(std::string_view addedLog) {
    std::optional<MailerVerdict> verdict;
    for (size_t start = 0; start < addedLog.size();) {
        size_t end = addedLog.find('\n', start);
        if (end == std::string_view::npos) end = addedLog.size();
        std::string_view line = addedLog.substr(start, end - start);
        start = end + 1;
        if (line.find("Email was sent successfully") != std::string_view::npos)
            return MailerVerdict{true, {}};
        const size_t error = line.find("ERROR =>");
        if (error == std::string_view::npos || verdict) continue;
        line.remove_prefix(error);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        // The log is in the system's code page; its letters beyond ASCII are only shown.
        verdict = MailerVerdict{false, std::wstring(line.begin(), line.end())};
    }
    return verdict;
}

std::wstring keptText(const Owed& owed) {
    if (owed == Owed{}) return {};  // nothing to keep
    return std::wstring(kindWord(owed.kind)) + L" " + std::to_wstring(owed.reminder) + L" " +
           kindWord(owed.lastSent);
}

std::optional<Owed> readKept(std::wstring_view text) {
    if (text.empty()) return Owed{};
    // Three words: the owed kind, which reminder it is (0 to 9999), the last sent kind.
    std::wstring_view words[3];
    for (std::wstring_view& word : words) {
        const size_t end = text.find(L' ');
        word = text.substr(0, end);
        text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    }
    const std::optional<AlertKind> kind = kindOf(words[0]), lastSent = kindOf(words[2]);
    const std::wstring_view n = words[1];
    if (!kind || !lastSent || !text.empty() || n.empty() || n.size() > 4 ||
        n.find_first_not_of(L"0123456789") != std::wstring_view::npos)
        return std::nullopt;
    int reminder = 0;
    for (wchar_t digit : n) reminder = reminder * 10 + (digit - L'0');
    if (*kind == AlertKind::None && reminder != 0) return std::nullopt;
    return Owed{*kind, reminder, *lastSent};
}

Owed AlertQueue::owed() const {
    Owed owed{AlertKind::None, 0, lastSent_};
    for (const Alert& a : alerts_)
        if (!a.test && (a.unsent() || a.state == State::Running)) {
            owed.kind = a.kind;
            owed.reminder = a.reminder;
        }
    return owed;
}

AlertQueue::Next AlertQueue::restore(const Owed& owed, Seconds now) {
    lastSent_ = owed.lastSent;
    if (owed.kind == AlertKind::None) return std::nullopt;
    state_ = owed.kind;
    Alert alert{++lastId_, owed.kind, now};
    alert.reminder = reminders_ = owed.reminder;
    alert.fromBefore = true;
    alerts_.push_back(alert);
    return startNext(now);
}

AlertQueue::Alert* AlertQueue::find(int id) {
    auto it =
        std::find_if(alerts_.begin(), alerts_.end(), [id](const Alert& a) { return a.id == id; });
    return it == alerts_.end() ? nullptr : &*it;
}

const AlertQueue::Alert* AlertQueue::last() const {
    // The one the user hears of: tried, or being tried; a change still waiting behind a try
    // has nothing to tell yet.
    for (auto it = alerts_.rbegin(); it != alerts_.rend(); ++it)
        if (!it->test && it->state != State::Dropped &&
            (it->state != State::Queued || it->failures > 0))
            return &*it;
    return nullptr;
}

AlertQueue::Alert* AlertQueue::last() {
    return const_cast<Alert*>(static_cast<const AlertQueue*>(this)->last());
}

bool AlertQueue::capped(Seconds now) {
    std::erase_if(tries_, [&](Seconds t) { return now - t >= timing_.capWindow; });
    return tries_.size() >= static_cast<size_t>(timing_.capTries);
}

AlertQueue::Next AlertQueue::startNext(Seconds now) {
    if (running()) return std::nullopt;
    const auto start = [&](Alert& a) {
        a.state = State::Running;
        a.started = now;
        a.exited = -1;
        return Start{a.id, a.kind, a.test};
    };
    // The user waits for a test at the window: it goes first.
    for (Alert& a : alerts_)
        if (a.test && a.state == State::Queued) return start(a);
    for (Alert& a : alerts_) {
        if (a.state != State::Queued) continue;
        // The changes it came in place of cancel out: the last e-mail already tells the truth.
        if (a.replaced && a.kind == lastSent_) {
            a.state = State::Dropped;
            ++dropped_;
            continue;
        }
        if (capped(now)) return std::nullopt;
        tries_.push_back(now);
        held_ = 0;
        return start(a);
    }
    return std::nullopt;
}

void AlertQueue::prune() {
    // Alerts that are done are no longer needed, but for the last one, which the tooltip shows.
    const Alert* shown = last();
    const int keep = shown ? shown->id : 0;
    std::erase_if(alerts_, [keep](const Alert& a) {
        return a.id != keep &&
               (a.state == State::Sent || a.state == State::GivenUp || a.state == State::Dropped);
    });
}

AlertQueue::Next AlertQueue::due(AlertKind kind, Seconds now) {
    prune();
    state_ = kind;
    reminders_ = 0;
    if (capped(now)) ++held_;
    Alert change{++lastId_, kind, now};
    for (Alert& a : alerts_)
        if (a.unsent() && !a.test) {
            a.state = State::Dropped;
            if (a.reminder) continue;  // a reminder tells of no change
            ++dropped_;
            change.replaced = true;
        }
    alerts_.push_back(change);
    return startNext(now);
}

AlertQueue::Next AlertQueue::test(Seconds now) {
    if (std::any_of(alerts_.begin(), alerts_.end(), [](const Alert& a) {
            return a.test && (a.state == State::Queued || a.state == State::Running);
        }))
        return std::nullopt;
    Alert test{++lastId_, AlertKind::Test, now};
    test.test = true;
    alerts_.push_back(test);
    return startNext(now);
}

AlertQueue::Next AlertQueue::notStarted(int id, const std::wstring& why, Seconds now) {
    if (Alert* a = find(id); a && a->state == State::Running) fail(*a, why, now);
    return startNext(now);
}

AlertQueue::Next AlertQueue::observe(int id, const Observation& seen, Seconds now, bool& end) {
    end = false;
    Alert* a = find(id);
    if (!a || a->state != State::Running) return std::nullopt;
    const std::optional<MailerVerdict> verdict = verdictIn(seen.addedLog);
    const std::wstring timedOut =
        L"the mailer did not finish within " + std::to_wstring(timing_.timeLimit) + L" s";
    if (!seen.ended) {
        // Its words count once it has ended, so that the next try never runs beside it.
        if (now - a->started < timing_.timeLimit) return std::nullopt;
        end = true;
        if (verdict && verdict->sent)
            succeed(*a, now);
        else
            fail(*a, timedOut, now);
        return startNext(now);
    }
    if (a->exited < 0) a->exited = now;
    if (verdict) {
        if (verdict->sent)
            succeed(*a, now);
        else
            fail(*a, verdict->line, now);
    } else if (seen.exitCode != 0) {
        fail(*a, L"the mailer ended with status " + std::to_wstring(seen.exitCode), now);
    } else if (seen.addedLog.empty() && now - a->exited >= kQuietGrace) {
        succeed(*a, now);  // a clean exit and a mailer that keeps no log
    } else if (now - a->started >= timing_.timeLimit) {
        fail(*a, timedOut, now);
    }
    return startNext(now);
}

AlertQueue::Next AlertQueue::tick(Seconds now, bool seeing) {
    for (Alert& a : alerts_) {
        if (a.state != State::Waiting || a.nextTry > now) continue;
        a.state = now - a.changed >= timing_.giveUpAfter ? State::GivenUp : State::Queued;
    }
    if (seeing && timing_.remindEvery > 0 && state_ == AlertKind::Stopped &&
        lastSent_ == AlertKind::Stopped && !busy() && now - lastSentAt_ >= timing_.remindEvery) {
        prune();
        Alert reminder{++lastId_, AlertKind::Stopped, now};
        reminder.reminder = ++reminders_;
        alerts_.push_back(reminder);
    }
    return startNext(now);
}

void AlertQueue::fail(Alert& alert, const std::wstring& why, Seconds now) {
    if (alert.test) {  // tried once: the user sees why and can try again
        alert.state = State::GivenUp;
        testOutcome_ = TestOutcome{false, why, now};
        return;
    }
    alert.error = why;
    alert.lastTry = now;
    alert.nextTry = now + retryDelay(timing_, ++alert.failures);
    alert.state = State::Waiting;
    // A newer change waits behind it and tells of it.
    if (std::any_of(alerts_.begin(), alerts_.end(),
                    [&](const Alert& a) { return a.id > alert.id && a.unsent() && !a.test; })) {
        alert.state = State::Dropped;
        if (!alert.reminder) ++dropped_;
    }
}

void AlertQueue::succeed(Alert& alert, Seconds now) {
    alert.state = State::Sent;
    alert.finished = now;
    if (alert.test) {
        testOutcome_ = TestOutcome{true, {}, now};
        return;
    }
    lastSentAt_ = now;
    alert.toldOf = dropped_;
    lastSent_ = alert.kind;
    dropped_ = 0;
}

std::optional<int> AlertQueue::running() const {
    for (const Alert& a : alerts_)
        if (a.state == State::Running) return a.id;
    return std::nullopt;
}

bool AlertQueue::busy() const {
    return std::any_of(alerts_.begin(), alerts_.end(),
                       [](const Alert& a) { return a.unsent() || a.state == State::Running; });
}

bool AlertQueue::held() const {
    return tries_.size() >= static_cast<size_t>(timing_.capTries) &&
           std::any_of(alerts_.begin(), alerts_.end(),
                       [](const Alert& a) { return a.state == State::Queued && !a.test; });
}

bool AlertQueue::notSent() const {
    const Alert* a = last();
    return held() || (a && a->failures > 0 && a->state != State::Sent);
}

std::wstring AlertQueue::tooltipLine(const std::function<std::wstring(Seconds)>& clock,
                                     const std::wstring& logPath) const {
    std::wstring held;
    if (held_ > 0 && this->held()) {
        const Seconds w = timing_.capWindow;
        held = std::to_wstring(held_) + L" change(s) held after " +
               std::to_wstring(timing_.capTries) + L" alerts in " +
               (w % 60 ? std::to_wstring(w) + L" s" : std::to_wstring(w / 60) + L" minutes") +
               L"; the state then is mailed " + clock(tries_[tries_.size() - timing_.capTries] + w);
    }
    const Alert* a = last();
    if (!a) return held;
    if (!held.empty()) held = L"\r\n" + held;
    if (a->fromBefore) held = L"; owed from before the restart" + held;
    const std::wstring kind = a->reminder ? L"reminder " + std::to_wstring(a->reminder) + L" "
                                          : std::wstring(kindWord(a->kind)) + L" alert ";
    if (a->state == State::Sent) {
        std::wstring line = kind + L"sent " + (a->reminder ? L"at " : L"") + clock(a->finished);
        if (a->toldOf > 0)
            line += L"; " + std::to_wstring(a->toldOf) +
                    L" earlier change(s) not mailed: this alert tells of them";
        return line + held;
    }
    if (a->failures == 0) return kind + L"being sent since " + clock(a->started) + held;
    std::wstring line = kind + L"NOT SENT " + clock(a->lastTry) + L": " + a->error + L"; ";
    if (a->state == State::GivenUp)
        line += L"given up after " + std::to_wstring(timing_.giveUpAfter / 3600) + L" hours";
    else if (a->state == State::Waiting)
        line += L"next try " + clock(a->nextTry);
    else
        line += L"trying again now";
    return line + L" (log: " + logPath + L")" + held;
}

}  // namespace kovalt::monitor
