#include "monitor/alert_queue.h"

#include <algorithm>

namespace kovalt::monitor {

namespace {
// A clean exit with nothing in the log is believed after this long: a mailer that logs has
// written its verdict by then.
constexpr Seconds kQuietGrace = 10;

std::wstring kindText(AlertKind kind) {
    return kind == AlertKind::Running ? L"RUNNING" : L"STOPPED";
}

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

AlertQueue::Alert* AlertQueue::find(int id) {
    auto it =
        std::find_if(alerts_.begin(), alerts_.end(), [id](const Alert& a) { return a.id == id; });
    return it == alerts_.end() ? nullptr : &*it;
}

const AlertQueue::Alert* AlertQueue::last() const {
    // The one the user hears of: tried, or being tried; a change still waiting behind a try
    // has nothing to tell yet.
    for (auto it = alerts_.rbegin(); it != alerts_.rend(); ++it)
        if (it->state != State::Queued && it->state != State::Dropped) return &*it;
    return nullptr;
}

AlertQueue::Alert* AlertQueue::last() {
    return const_cast<Alert*>(static_cast<const AlertQueue*>(this)->last());
}

AlertQueue::Next AlertQueue::startNext(Seconds now) {
    if (running()) return std::nullopt;
    for (Alert& a : alerts_) {
        if (a.state != State::Queued) continue;
        // The changes it came in place of cancel out: the last e-mail already tells the truth.
        if (a.replaced && a.kind == lastSent_) {
            a.state = State::Dropped;
            ++dropped_;
            continue;
        }
        a.state = State::Running;
        a.started = now;
        a.exited = -1;
        return Start{a.id, a.kind};
    }
    return std::nullopt;
}

AlertQueue::Next AlertQueue::due(AlertKind kind, Seconds now) {
    // Alerts that are done are no longer needed, but for the last one, which the tooltip shows.
    const Alert* shown = last();
    const int keep = shown ? shown->id : 0;
    std::erase_if(alerts_, [keep](const Alert& a) {
        return a.id != keep &&
               (a.state == State::Sent || a.state == State::GivenUp || a.state == State::Dropped);
    });
    Alert change{++lastId_, kind, now};
    for (Alert& a : alerts_)
        if (a.unsent()) {
            a.state = State::Dropped;
            ++dropped_;
            change.replaced = true;
        }
    alerts_.push_back(change);
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
    if (seen.ended && a->exited < 0) a->exited = now;
    if (const auto verdict = verdictIn(seen.addedLog)) {
        if (verdict->sent)
            succeed(*a, now);
        else
            fail(*a, verdict->line, now);
    } else if (seen.ended && seen.exitCode != 0) {
        fail(*a, L"the mailer ended with status " + std::to_wstring(seen.exitCode), now);
    } else if (seen.ended && seen.addedLog.empty() && now - a->exited >= kQuietGrace) {
        succeed(*a, now);  // a clean exit and a mailer that keeps no log
    } else if (now - a->started >= timing_.timeLimit) {
        end = true;
        fail(*a, L"the mailer did not finish within " + std::to_wstring(timing_.timeLimit) + L" s",
             now);
    }
    return startNext(now);
}

AlertQueue::Next AlertQueue::tick(Seconds now) {
    for (Alert& a : alerts_) {
        if (a.state != State::Waiting || a.nextTry > now) continue;
        a.state = now - a.changed >= timing_.giveUpAfter ? State::GivenUp : State::Queued;
    }
    return startNext(now);
}

void AlertQueue::fail(Alert& alert, const std::wstring& why, Seconds now) {
    alert.error = why;
    alert.lastTry = now;
    alert.nextTry = now + retryDelay(timing_, ++alert.failures);
    alert.state = State::Waiting;
    // A newer change waits behind it and tells of it.
    if (std::any_of(alerts_.begin(), alerts_.end(),
                    [&](const Alert& a) { return a.id > alert.id && a.unsent(); })) {
        alert.state = State::Dropped;
        ++dropped_;
    }
}

void AlertQueue::succeed(Alert& alert, Seconds now) {
    alert.state = State::Sent;
    alert.finished = now;
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

bool AlertQueue::notSent() const {
    const Alert* a = last();
    return a && a->failures > 0 && a->state != State::Sent;
}

std::wstring AlertQueue::tooltipLine(const std::function<std::wstring(Seconds)>& clock,
                                     const std::wstring& logPath) const {
    const Alert* a = last();
    if (!a) return {};
    const std::wstring kind = kindText(a->kind) + L" alert ";
    if (a->state == State::Sent) {
        std::wstring line = kind + L"sent " + clock(a->finished);
        if (a->toldOf > 0)
            line += L"; " + std::to_wstring(a->toldOf) +
                    L" earlier change(s) not mailed: this alert tells of them";
        return line;
    }
    if (a->failures == 0) return kind + L"being sent since " + clock(a->started);
    std::wstring line = kind + L"NOT SENT " + clock(a->lastTry) + L": " + a->error + L"; ";
    if (a->state == State::GivenUp)
        line += L"given up after " + std::to_wstring(timing_.giveUpAfter / 3600) + L" hours";
    else if (a->state == State::Waiting)
        line += L"next try " + clock(a->nextTry);
    else
        line += L"trying again now";
    return line + L" (log: " + logPath + L")";
}

}  // namespace kovalt::monitor
