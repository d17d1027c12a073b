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

AlertQueue::Start AlertQueue::start(Alert& alert, Seconds now) {
    alert.state = State::Running;
    alert.started = now;
    alert.exited = -1;
    return {alert.id, alert.kind};
}

std::vector<AlertQueue::Start> AlertQueue::startQueued(Seconds now) {
    // One at a time, in the order of the changes: never two brought forward at once.
    for (const Alert& a : alerts_)
        if (a.state == State::Running) return {};
    for (Alert& a : alerts_)
        if (a.state == State::Queued) return {start(a, now)};
    return {};
}

std::vector<AlertQueue::Start> AlertQueue::due(AlertKind kind, Seconds now) {
    // Alerts that are done are no longer needed, but for the last one, which the tooltip shows.
    std::erase_if(alerts_, [](const Alert& a) {
        return a.state == State::Sent || a.state == State::GivenUp || a.state == State::Superseded;
    });
    const bool earlierWait = std::any_of(alerts_.begin(), alerts_.end(), [](const Alert& a) {
        return a.state == State::Waiting || a.state == State::Queued;
    });
    alerts_.push_back({++lastId_, kind, now});
    superseded_ = 0;
    if (!earlierWait) return {start(alerts_.back(), now)};
    for (Alert& a : alerts_)
        if (a.state == State::Waiting) a.state = State::Queued;
    return startQueued(now);
}

std::vector<AlertQueue::Start> AlertQueue::notStarted(int id, const std::wstring& why,
                                                      Seconds now) {
    if (Alert* a = find(id)) fail(*a, why, now);
    return startQueued(now);
}

std::vector<AlertQueue::Start> AlertQueue::observe(int id, const Observation& seen, Seconds now,
                                                   bool& end) {
    end = false;
    Alert* a = find(id);
    if (!a || a->state != State::Running) return {};
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
    return startQueued(now);
}

std::vector<AlertQueue::Start> AlertQueue::tick(Seconds now) {
    for (Alert& a : alerts_) {
        if (a.state != State::Waiting || a.nextTry > now) continue;
        a.state = now - a.changed >= timing_.giveUpAfter ? State::GivenUp : State::Queued;
    }
    return startQueued(now);
}

void AlertQueue::fail(Alert& alert, const std::wstring& why, Seconds now) {
    alert.error = why;
    alert.lastTry = now;
    alert.nextTry = now + retryDelay(timing_, ++alert.failures);
    alert.state = State::Waiting;
    // A later alert, sent meanwhile, already tells of this one.
    for (const Alert& a : alerts_)
        if (a.id > alert.id && a.state == State::Sent) {
            alert.state = State::Superseded;
            ++superseded_;
        }
}

void AlertQueue::succeed(Alert& alert, Seconds now) {
    alert.state = State::Sent;
    alert.finished = now;
    // An earlier alert sent now would arrive after this one, which already tells of it.
    for (Alert& a : alerts_)
        if (a.id < alert.id && (a.state == State::Waiting || a.state == State::Queued)) {
            a.state = State::Superseded;
            ++superseded_;
        }
}

std::vector<int> AlertQueue::running() const {
    std::vector<int> ids;
    for (const Alert& a : alerts_)
        if (a.state == State::Running) ids.push_back(a.id);
    return ids;
}

bool AlertQueue::busy() const {
    return std::any_of(alerts_.begin(), alerts_.end(), [](const Alert& a) {
        return a.state == State::Running || a.state == State::Waiting || a.state == State::Queued;
    });
}

bool AlertQueue::notSent() const {
    return !alerts_.empty() && alerts_.back().failures > 0 && alerts_.back().state != State::Sent;
}

std::wstring AlertQueue::tooltipLine(const std::function<std::wstring(Seconds)>& clock,
                                     const std::wstring& logPath) const {
    if (alerts_.empty()) return {};
    const Alert& a = alerts_.back();
    const std::wstring kind = kindText(a.kind) + L" alert ";
    if (a.state == State::Sent) {
        std::wstring line = kind + L"sent " + clock(a.finished);
        if (superseded_ > 0)
            line += L"; the earlier alert that was not sent was dropped: this one tells of it";
        return line;
    }
    if (a.failures == 0) return kind + L"being sent since " + clock(a.started);
    std::wstring line = kind + L"NOT SENT " + clock(a.lastTry) + L": " + a.error + L"; ";
    if (a.state == State::GivenUp)
        line += L"given up after " + std::to_wstring(timing_.giveUpAfter / 3600) + L" hours";
    else if (a.state == State::Waiting)
        line += L"next try " + clock(a.nextTry);
    else
        line += L"trying again now";
    return line + L" (log: " + logPath + L")";
}

}  // namespace kovalt::monitor
