#include "monitor/alert_queue.h"

#include <algorithm>

namespace kovalt::monitor {

namespace {
// The later tries wait 1, 2, 4, 8, then 15 times the first wait.
Seconds retryDelay(const AlertTiming& timing, int failures) {
    constexpr Seconds factors[] = {1, 2, 4, 8, 15};
    return timing.firstRetry * factors[std::min(failures, 5) - 1];
}
}  // namespace

Owed AlertQueue::owed(Seconds now) const {
    Owed owed{AlertKind::None, 0, lastSent_, std::nullopt, {}};
    // The try on its way comes first in the order of changes, then the one that goes next.
    for (const Alert& a : alerts_)
        if (!a.test && a.era == era_ && (a.unsent() || a.state == State::Running) &&
            a.stableAt <= now) {
            owed.kind = a.kind;
            owed.reminder = a.reminder;
            break;
        }
    return owed;
}

AlertQueue::Next AlertQueue::restore(const Owed& owed, Seconds now,
                                     std::optional<Seconds> onItsWaySince) {
    lastSent_ = owed.lastSent;
    if (owed.kind == AlertKind::None) return std::nullopt;
    state_ = owed.kind;
    Alert alert{++lastId_, owed.kind, now};
    alert.reminder = reminders_ = owed.reminder;
    alert.fromBefore = true;
    alert.era = era_;
    if (onItsWaySince) {
        alert.state = State::Running;
        alert.started = *onItsWaySince;
    }
    alerts_.push_back(alert);
    return startNext(now);
}

bool AlertQueue::dropOwed(const std::wstring& why, bool afresh) {
    const Alert* dropped = nullptr;
    for (Alert& a : alerts_) {
        if (a.test) continue;
        if (a.state == State::Running) a.noRetry = true;
        if (!a.unsent()) continue;
        a.state = State::Dropped;
        if (!a.reminder || !dropped) dropped = &a;
    }
    if (afresh) {
        ++era_;
        lastSent_ = AlertKind::None;
    }
    if (dropped)
        dropNote_ =
            (dropped->reminder ? std::wstring(L"a reminder")
                               : L"the " + std::wstring(kindWord(dropped->kind)) + L" alert") +
            L" not yet sent was dropped: " + why;
    return dropped != nullptr;
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

bool AlertQueue::capped(Seconds now) {
    std::erase_if(tries_, [&](Seconds t) { return now - t >= timing_.capWindow; });
    return tries_.size() >= static_cast<size_t>(timing_.capTries);
}

std::vector<AlertQueue::Alert*> AlertQueue::burst() {
    std::vector<Alert*> changes;
    for (Alert& a : alerts_)
        if (a.unsent() && !a.test) changes.push_back(&a);
    return changes;
}

void AlertQueue::collapse(Seconds now) {
    std::vector<Alert*> changes = burst();
    if (changes.empty() || (changes.size() == 1 && !changes[0]->waited)) return;
    Alert* newest = changes.back();
    Alert *first = nullptr, *then = nullptr;
    if (capped(now) || held_ > 0) {
        // Held by the cap: only the state true at its end is told.
        if (newest->kind != lastSent_) first = newest;
    } else {
        for (Alert* a : changes)
            if (a->kind != lastSent_ || a->era != era_ || a->reminder) {
                first = a;
                break;
            }
        // A repeat of its kind stands for it, the newest sooner than one waiting to try again.
        if (first && newest->kind == first->kind && newest->era == first->era) first = newest;
        if (first && newest != first) then = newest;
    }
    Alert* credited = then ? then : first;
    for (Alert* a : changes) {
        if (a == first || a == then) continue;
        a->state = State::Dropped;
        if (credited && !a->reminder) credited->standsFor += 1 + a->standsFor;
    }
}

AlertQueue::Next AlertQueue::startNext(Seconds now) {
    if (running()) return std::nullopt;
    const auto start = [&](Alert& a) {
        a.state = State::Running;
        a.started = now;
        return Start{a.id, a.kind, a.test, a.reminder};
    };
    // The user waits for a test at the window: it goes first.
    for (Alert& a : alerts_)
        if (a.test && a.state == State::Queued) return start(a);
    collapse(now);
    const std::vector<Alert*> changes = burst();
    // The first in order goes once it may; the others wait behind it.
    if (changes.empty()) return std::nullopt;
    Alert& next = *changes.front();
    if (next.state != State::Queued || next.stableAt > now) return std::nullopt;
    // The cap never holds for long a state the last e-mail does not tell.
    if (capped(now) && (next.kind == lastSent_ || now - next.changed < timing_.capHoldsAtMost ||
                        now - tries_.back() < timing_.capHoldsAtMost))
        return std::nullopt;
    tries_.push_back(now);
    held_ = 0;
    return start(next);
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

AlertQueue::Next AlertQueue::due(AlertKind kind, Seconds now, Seconds stableAt) {
    prune();
    state_ = kind;
    reminders_ = 0;
    dropNote_.clear();
    if (capped(now)) ++held_;
    Alert change{++lastId_, kind, now};
    change.stableAt = stableAt;
    change.era = era_;
    change.waited = std::any_of(alerts_.begin(), alerts_.end(), [](const Alert& a) {
        return !a.test && (a.unsent() || a.state == State::Running);
    });
    for (Alert& a : alerts_)
        // A reminder tells of no change; a start not yet proved stable was never one for the
        // user.
        if (a.unsent() && !a.test && (a.reminder || a.stableAt > now)) a.state = State::Dropped;
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

AlertQueue::Next AlertQueue::finished(int id, const TryOutcome& outcome, Seconds now) {
    if (Alert* a = find(id); a && a->state == State::Running) {
        if (outcome.sent)
            succeed(*a, now);
        else
            fail(*a, outcome, now);
    }
    return startNext(now);
}

bool AlertQueue::timeUp(int id, Seconds now) const {
    const auto a =
        std::find_if(alerts_.begin(), alerts_.end(), [id](const Alert& a) { return a.id == id; });
    return a != alerts_.end() && a->state == State::Running &&
           now - a->started >= timing_.timeLimit;
}

AlertQueue::Next AlertQueue::tick(Seconds now, bool seeing) {
    for (Alert& a : alerts_) {
        if (a.stableAt <= now) a.stableAt = 0;  // proved stable: an alert as any other
        if (a.state != State::Waiting || a.nextTry > now) continue;
        a.state = now - a.changed >= timing_.giveUpAfter ? State::GivenUp : State::Queued;
    }
    if (seeing && timing_.remindEvery > 0 && state_ == AlertKind::Stopped &&
        lastSent_ == AlertKind::Stopped && !busy() && now - lastSentAt_ >= timing_.remindEvery) {
        prune();
        Alert reminder{++lastId_, AlertKind::Stopped, now};
        reminder.reminder = ++reminders_;
        reminder.era = era_;
        alerts_.push_back(reminder);
    }
    return startNext(now);
}

void AlertQueue::fail(Alert& alert, const TryOutcome& outcome, Seconds now) {
    if (alert.test) {  // tried once: the user sees why and can try again
        alert.state = State::GivenUp;
        testOutcome_ = TestOutcome{false, outcome.why, now};
        return;
    }
    alert.error = outcome.why;
    alert.lastTry = now;
    ++alert.failures;
    // Nobody is owed it any more: monitoring is off, or another program is watched.
    if (alert.noRetry || alert.era != era_) {
        alert.state = State::Dropped;
        return;
    }
    alert.nextTry =
        now + std::max(retryDelay(timing_, outcome.slow ? 5 : alert.failures), outcome.retryAfter);
    alert.state = State::Waiting;
}

void AlertQueue::succeed(Alert& alert, Seconds now) {
    alert.state = State::Sent;
    alert.finished = now;
    if (alert.test) {
        testOutcome_ = TestOutcome{true, {}, now};
        return;
    }
    if (alert.era != era_) return;  // about a program no longer watched
    lastSentAt_ = now;
    lastSent_ = alert.kind;
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

AlertsShown AlertQueue::shown() const {
    AlertsShown shown;
    shown.capTries = timing_.capTries;
    shown.capWindow = timing_.capWindow;
    shown.giveUpAfter = timing_.giveUpAfter;
    shown.dropNote = dropNote_;
    if (held_ > 0 && held()) {
        shown.held = held_;
        shown.heldUntil = tries_[tries_.size() - timing_.capTries] + timing_.capWindow;
    }
    for (const Alert& a : alerts_)
        if (a.unsent() && a.stableAt > 0)
            shown.stable.emplace_back(a.stableAt, a.stableAt - a.changed);
    const Alert* a = last();
    if (!a) return shown;
    using S = AlertsShown::State;
    const S state = a->state == State::Sent      ? S::Sent
                    : a->failures == 0           ? S::BeingSent
                    : a->state == State::GivenUp ? S::GivenUp
                    : a->state == State::Waiting ? S::Waiting
                                                 : S::TryingNow;
    const Seconds at = state == S::Sent        ? a->finished
                       : state == S::BeingSent ? a->started
                                               : a->lastTry;
    shown.last = AlertsShown::Last{a->kind, a->reminder, a->fromBefore, state,
                                   at,      a->nextTry,  a->error,      a->standsFor};
    return shown;
}

}  // namespace kovalt::monitor
