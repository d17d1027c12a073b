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
        return Start{a.id, a.kind, a.test};
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

AlertQueue::Next AlertQueue::notStarted(int id, const std::wstring& why, Seconds now) {
    if (Alert* a = find(id); a && a->state == State::Running) fail(*a, why, now);
    return startNext(now);
}

AlertQueue::Next AlertQueue::observe(int id, const Observation& seen, Seconds now, bool& end) {
    end = false;
    Alert* a = find(id);
    if (!a || a->state != State::Running) return std::nullopt;
    if (!seen.ended || !seen.caughtUp) {
        // Its words count once it has ended, so that the next try never runs beside it.
        if (now - a->started < timing_.timeLimit) return std::nullopt;
        end = !seen.ended;
        if (seen.verdict && seen.verdict->sent)
            succeed(*a, now);
        else
            fail(*a,
                 L"the mailer did not finish within " + std::to_wstring(timing_.timeLimit) + L" s",
                 now);
    } else if (seen.verdict) {
        if (seen.verdict->sent)
            succeed(*a, now);
        else
            fail(*a, seen.verdict->line, now);
    } else if (seen.exitCode != 0) {
        fail(*a, L"the mailer ended with status " + std::to_wstring(seen.exitCode), now);
    } else if (seen.grew) {
        fail(*a, L"the mailer ended without writing that the e-mail was sent", now);
    } else {
        succeed(*a, now);  // a clean exit and a mailer that keeps no log
    }
    return startNext(now);
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

void AlertQueue::fail(Alert& alert, const std::wstring& why, Seconds now) {
    if (alert.test) {  // tried once: the user sees why and can try again
        alert.state = State::GivenUp;
        testOutcome_ = TestOutcome{false, why, now};
        return;
    }
    alert.error = why;
    alert.lastTry = now;
    ++alert.failures;
    // Nobody is owed it any more: monitoring is off, or another program is watched.
    if (alert.noRetry || alert.era != era_) {
        alert.state = State::Dropped;
        return;
    }
    alert.nextTry = now + retryDelay(timing_, alert.failures);
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

std::wstring AlertQueue::tooltipLine(const std::function<std::wstring(Seconds)>& clock,
                                     const std::wstring& logPath) const {
    std::wstring more;
    if (held_ > 0 && held()) {
        const Seconds w = timing_.capWindow;
        more = L"\r\n" + std::to_wstring(held_) + L" change(s) held after " +
               std::to_wstring(timing_.capTries) + L" alerts in " +
               (w % 60 ? std::to_wstring(w) + L" s" : std::to_wstring(w / 60) + L" minutes") +
               L"; the state then is mailed " + clock(tries_[tries_.size() - timing_.capTries] + w);
    }
    for (const Alert& a : alerts_)
        if (a.unsent() && a.stableAt > 0)
            more += L"\r\nRUNNING alert " + clock(a.stableAt) +
                    L", once the restarted program has run " +
                    std::to_wstring(a.stableAt - a.changed) + L" s";
    if (!dropNote_.empty()) more += L"\r\n" + dropNote_;
    const Alert* a = last();
    if (!a) return more.empty() ? more : more.substr(2);
    if (a->fromBefore) more = L"; owed from before the restart" + more;
    const std::wstring kind = a->reminder ? L"reminder " + std::to_wstring(a->reminder) + L" "
                                          : std::wstring(kindWord(a->kind)) + L" alert ";
    if (a->state == State::Sent) {
        std::wstring line = kind + L"sent " + (a->reminder ? L"at " : L"") + clock(a->finished);
        if (a->standsFor > 0)
            line += L"; " + std::to_wstring(a->standsFor) +
                    L" earlier change(s) not mailed: this alert tells of them";
        return line + more;
    }
    if (a->failures == 0) return kind + L"being sent since " + clock(a->started) + more;
    std::wstring line = kind + L"NOT SENT " + clock(a->lastTry) + L": " + a->error + L"; ";
    if (a->state == State::GivenUp)
        line += L"given up after " + std::to_wstring(timing_.giveUpAfter / 3600) + L" hours";
    else if (a->state == State::Waiting)
        line += L"next try " + clock(a->nextTry);
    else
        line += L"trying again now";
    return line + L" (log: " + logPath + L")" + more;
}

}  // namespace kovalt::monitor
