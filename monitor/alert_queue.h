// The alerts of one instance from their change of state until the mailer has sent them: each
// try's outcome, taken from the mailer's exit status and the lines it added to its log; the
// tries again, at growing intervals, of an alert that was not sent; and the order of alerts.
// The window starts and ends the scripts and reports what it sees; this class decides.
//
// One try runs at a time, so the lines a try finds added to the log are its own, and no two
// mailers of the instance ever run at once. A change that comes while a try runs waits behind
// it; of several such changes only the newest is sent, since it tells of the others, and it is
// dropped too when the changes before it cancel out and it would only repeat the last e-mail.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/run_monitor.h"

namespace kovalt::monitor {

using Seconds = long long;  // on a clock that only moves forward

struct AlertTiming {
    Seconds firstRetry = 60;  // the later tries keep their ratios to it: 2, 4, 8, then 15 times
    Seconds timeLimit = 300;  // a try still running then is ended and counts as not sent
    Seconds giveUpAfter = 24 * 60 * 60;
};

// What the lines the mailer added to its log say about one try, when they say it.
struct MailerVerdict {
    bool sent;
    std::wstring line;  // the mailer's own words
};
std::optional<MailerVerdict> verdictIn(std::string_view addedLog);

class AlertQueue {
public:
    explicit AlertQueue(AlertTiming timing = {}) : timing_(timing) {}

    struct Start {
        int id;
        AlertKind kind;
        bool operator==(const Start&) const = default;
    };
    using Next = std::optional<Start>;  // the try to start now, if any
    // What is known of the running try.
    struct Observation {
        bool ended = false;          // its script's process has ended
        unsigned long exitCode = 0;  // when it has
        std::string addedLog;        // what the mailer added to its log since the try started
    };

    // A change of state. Its alert starts at once when no try runs; otherwise it waits behind
    // the running one, and any older change still waiting is dropped.
    Next due(AlertKind kind, Seconds now);
    // The running try of `id` could not even start (why, in plain words).
    Next notStarted(int id, const std::wstring& why, Seconds now);
    // What the window sees of the running try of `id`. Sets `end` when the try must be ended
    // (its time is up).
    Next observe(int id, const Observation& seen, Seconds now, bool& end);
    // The tries again whose time has come.
    Next tick(Seconds now);

    std::optional<int> running() const;
    bool busy() const;     // something runs or waits: the window keeps watching
    bool notSent() const;  // the last alert failed and is not sent: the caption's " !"
    // A line for the run light's tooltip about the last alert; `clock` turns a time into the
    // text the user reads.
    std::wstring tooltipLine(const std::function<std::wstring(Seconds)>& clock,
                             const std::wstring& logPath) const;

private:
    enum class State { Queued, Running, Waiting, Sent, GivenUp, Dropped };
    struct Alert {
        int id;
        AlertKind kind;
        Seconds changed;
        bool replaced = false;  // it came in place of an older change that was never sent
        State state = State::Queued;
        int failures = 0;
        Seconds started = 0, exited = -1, lastTry = 0, nextTry = 0, finished = 0;
        std::wstring error;
        int toldOf = 0;  // once sent: the changes dropped before it, which it tells of
        bool unsent() const { return state == State::Queued || state == State::Waiting; }
    };

    Alert* find(int id);
    Alert* last();  // the newest alert that was not dropped
    const Alert* last() const;
    void fail(Alert& alert, const std::wstring& why, Seconds now);
    void succeed(Alert& alert, Seconds now);
    Next startNext(Seconds now);

    AlertTiming timing_;
    std::vector<Alert> alerts_;  // in the order of their changes
    int lastId_ = 0;
    AlertKind lastSent_ = AlertKind::None;
    int dropped_ = 0;  // changes dropped since the last one sent, which tells of them
};

}  // namespace kovalt::monitor
