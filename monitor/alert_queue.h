// The alerts of one instance from their change of state until the mailer has sent them: each
// try's outcome, taken from the mailer's exit status and the lines it added to its log; the
// tries again, at growing intervals, of an alert that was not sent; and the order of alerts.
// The window starts and ends the scripts and reports what it sees; this class decides.
//
// One try runs at a time, so the lines a try finds added to the log are its own, and no two
// mailers of the instance ever run at once. A change that comes while a try runs waits behind
// it; of several such changes only the newest is sent, since it tells of the others, and it is
// dropped too when the changes before it cancel out and it would only repeat the last e-mail.
//
// Optionally, while the process stays stopped, the stopped alert is sent again as a reminder.
// However the changes come, no more than a set number of tries start within a set time: a
// change after that waits until the time is over, and only the state true then is mailed. A
// test e-mail takes the same road, once, and changes nothing of the alerts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "monitor/run_monitor.h"

namespace kovalt::monitor {

using Seconds = long long;  // on a clock that only moves forward

struct AlertTiming {
    Seconds firstRetry = 60;  // the later tries keep their ratios to it: 2, 4, 8, then 15 times
    Seconds timeLimit = 300;  // a try still running then is ended and counts as not sent
    Seconds giveUpAfter = 24 * 60 * 60;
    Seconds remindEvery = 0;  // while stopped, after the last stopped alert sent; 0: never
    int capTries = 10;        // at most this many tries (retries and reminders too) ...
    Seconds capWindow = 600;  // ... within this long
};

// What the lines the mailer added to its log say about one try, when they say it.
struct MailerVerdict {
    bool sent;
    std::wstring line;  // the mailer's own words
};
std::optional<MailerVerdict> verdictIn(std::string_view addedLog);

// What is owed when the strip closes: the alert not yet sent (kind None when there is none)
// and what the last e-mail told. Kept in the store as text as it changes, and read back at the
// next start; nothing owed and nothing told is the empty text, and text that is not such a
// record reads as nothing.
struct Owed {
    AlertKind kind = AlertKind::None;
    int reminder = 0;
    AlertKind lastSent = AlertKind::None;
    bool operator==(const Owed&) const = default;
};
std::wstring keptText(const Owed& owed);
std::optional<Owed> readKept(std::wstring_view text);

class AlertQueue {
public:
    explicit AlertQueue(AlertTiming timing = {}) : timing_(timing) {}

    struct Start {
        int id;
        AlertKind kind;
        bool test = false;  // the test e-mail's script, not the alert's
        bool operator==(const Start&) const = default;
    };
    // What became of a test e-mail: sent, or why not, and when it ended.
    struct TestOutcome {
        bool sent;
        std::wstring why;
        Seconds at;
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
    // The tries again and reminders whose time has come; no reminder while the process
    // cannot be seen (`seeing` false).
    Next tick(Seconds now, bool seeing = true);
    // A test e-mail: it starts once the try on its way has ended, before any alert, and is
    // tried once. Nothing when one is already on its way.
    Next test(Seconds now);
    // The outcome of the test e-mail once it has ended, handed out once.
    std::optional<TestOutcome> takeTestOutcome() { return std::exchange(testOutcome_, {}); }
    // What is owed now; and, at start, what was owed at the last close, tried again first.
    Owed owed() const;
    Next restore(const Owed& owed, Seconds now);

    // Reminders every so often while stopped (0: none), from now on.
    void setRemindEvery(Seconds every) { timing_.remindEvery = every; }
    bool mayRemind() const { return timing_.remindEvery > 0 && state_ == AlertKind::Stopped; }

    std::optional<int> running() const;
    bool busy() const;  // something runs or waits: the window keeps watching
    // The last alert failed and is not sent, or a change is held by the cap: the caption's " !".
    bool notSent() const;
    bool held() const;  // an alert waits only for the cap
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
        int reminder = 0;       // which reminder of the stop it is; 0 for the change itself
        bool test = false;
        bool fromBefore = false;  // owed from before the strip last closed
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
    bool capped(Seconds now);  // the tries within the cap's window have reached it
    void prune();              // forgets the alerts that are done, but for the one shown

    AlertTiming timing_;
    std::vector<Alert> alerts_;  // in the order of their changes
    int lastId_ = 0;
    AlertKind lastSent_ = AlertKind::None;
    int dropped_ = 0;  // changes dropped since the last one sent, which tells of them
    AlertKind state_ = AlertKind::None;  // of the newest change
    Seconds lastSentAt_ = 0;
    int reminders_ = 0;           // sent or on their way since the newest change
    std::vector<Seconds> tries_;  // when each try within the cap's window started
    int held_ = 0;                // changes that came while capped, since the last try
    std::optional<TestOutcome> testOutcome_;
};

}  // namespace kovalt::monitor
