// The alerts of one road (the mailer, a push) from their change of state until they are sent:
// the tries again, at growing intervals, of an alert that was not sent, and the order of
// alerts. The watchdog starts and ends the road's tries and reports how each ended; this class
// decides.
//
// One try runs at a time on a road, so what a try finds (the lines the mailer added to its log)
// is its own, and no two mailers of the instance ever run at once. Changes that come while a try
// runs (or while an alert waits for its next try) wait behind it, and are told as a burst: repeats
// of what the last e-mail told are dropped, never a state. When the burst holds the opposite of
// what the last e-mail told, that opposite goes first, then the newest state if it differs: at most
// two e-mails for any burst, each state told in order.
//
// Optionally, while the process stays stopped, the stopped alert is sent again as a reminder.
// However the changes come, no more than a set number of tries start within a set time: a
// change after that waits until the time is over, and only the state true then is mailed;
// but a state that has lasted a minute and that the last e-mail does not tell goes all the
// same. A test e-mail takes the same road, once, and changes nothing of the alerts.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "monitor/alert_road.h"

namespace kovalt::monitor {

// What the tooltip tells of a road's alerts (tooltip_text.h words it).
struct AlertsShown {
    enum class State { Sent, BeingSent, Waiting, TryingNow, GivenUp };
    struct Last {
        AlertKind kind;
        int reminder;
        bool fromBefore;  // owed from before the strip last closed
        State state;
        Seconds at;  // sent, started, or last tried
        Seconds nextTry;
        std::wstring error;
        int standsFor;  // the changes dropped for it, which it tells of
    };
    std::optional<Last> last;
    int held = 0;  // changes held by the cap, and when the state is mailed
    Seconds heldUntil = 0;
    int capTries = 0;
    Seconds capWindow = 0, giveUpAfter = 0;
    std::vector<std::pair<Seconds, Seconds>> stable;  // a start told at .first if up .second s
    std::wstring dropNote;
};

struct AlertTiming {
    Seconds firstRetry = 60;  // the later tries keep their ratios to it: 2, 4, 8, then 15 times
    Seconds timeLimit = 300;  // a try still running then is ended and counts as not sent
    Seconds giveUpAfter = 24 * 60 * 60;
    Seconds remindEvery = 0;  // while stopped, after the last stopped alert sent; 0: never
    int capTries = 10;        // at most this many tries (retries and reminders too) ...
    Seconds capWindow = 600;  // ... within this long, but for a state that lasted this long:
    Seconds capHoldsAtMost = 60;
};

class AlertQueue {
public:
    explicit AlertQueue(AlertTiming timing = {}) : timing_(timing) {}

    struct Start {
        int id;
        AlertKind kind;
        bool test = false;  // the test e-mail's script, not the alert's
        int reminder = 0;   // which reminder of the stop it is
        bool operator==(const Start&) const = default;
    };
    // What became of a test e-mail: sent, or why not, and when it ended.
    struct TestOutcome {
        bool sent;
        std::wstring why;
        Seconds at;
    };
    using Next = std::optional<Start>;  // the try to start now, if any

    // A change of state. Its alert starts at once when nothing runs or waits; otherwise it
    // waits behind. A change with `stableAt` (a start the watchdog made) is not told before
    // then, and not at all when the next change comes first.
    Next due(AlertKind kind, Seconds now, Seconds stableAt = 0);
    // The running try of `id` has ended, or could not even start.
    Next finished(int id, const TryOutcome& outcome, Seconds now);
    // Whether the running try of `id` has run out of time: the road ends it and says what it
    // came to.
    bool timeUp(int id, Seconds now) const;
    Seconds timeLimit() const { return timing_.timeLimit; }
    // The tries again, held starts and reminders whose time has come; no reminder while the
    // process cannot be seen (`seeing` false).
    Next tick(Seconds now, bool seeing = true);
    // A test e-mail: it starts once the try on its way has ended, before any alert, and is
    // tried once. Nothing when one is already on its way.
    Next test(Seconds now);
    // The outcome of the test e-mail once it has ended, handed out once.
    std::optional<TestOutcome> takeTestOutcome() { return std::exchange(testOutcome_, {}); }
    // What is owed now: the alert that goes next (the try on its way first), and what the last
    // e-mail told. A start not yet proved stable is owed to nobody.
    Owed owed(Seconds now) const;
    // At start: what was owed at the last close, tried again first; or, with `onItsWaySince`,
    // its try still on its way since then, which the window has taken up again.
    Next restore(const Owed& owed, Seconds now, std::optional<Seconds> onItsWaySince = {});
    // Monitoring is switched off, or another program is watched (`afresh`: what the last
    // e-mail told is of no more use): what is not sent is dropped, and a try on its way is not
    // tried again. `why` ends the line that says so; whether anything was dropped.
    bool dropOwed(const std::wstring& why, bool afresh);
    const std::wstring& dropNote() const { return dropNote_; }

    // Reminders every so often while stopped (0: none), from now on.
    void setRemindEvery(Seconds every) { timing_.remindEvery = every; }
    bool mayRemind() const { return timing_.remindEvery > 0 && state_ == AlertKind::Stopped; }

    std::optional<int> running() const;
    bool busy() const;  // something runs or waits: the window keeps watching
    // The last alert failed and is not sent, or a change is held by the cap: the caption's " !".
    bool notSent() const;
    bool held() const;  // an alert waits only for the cap
    // What the tooltip tells of the last alert.
    AlertsShown shown() const;

private:
    enum class State { Queued, Running, Waiting, Sent, GivenUp, Dropped };
    struct Alert {
        int id;
        AlertKind kind;
        Seconds changed;
        int reminder = 0;  // which reminder of the stop it is; 0 for the change itself
        bool test = false;
        bool fromBefore = false;  // owed from before the strip last closed
        bool waited = false;      // it came while another alert ran or waited
        Seconds stableAt = 0;     // a start the watchdog made: told only from then on
        int era = 0;              // the watched name it is about (see dropOwed)
        bool noRetry = false;     // monitoring went off while it ran
        State state = State::Queued;
        int failures = 0;
        Seconds started = 0, lastTry = 0, nextTry = 0, finished = 0;
        std::wstring error;
        int standsFor = 0;  // the changes dropped for it, which it tells of
        bool unsent() const { return state == State::Queued || state == State::Waiting; }
    };

    Alert* find(int id);
    const Alert* last() const;    // the newest alert tried or being tried
    std::vector<Alert*> burst();  // the alerts of changes not yet sent, in order
    void collapse(Seconds now);
    void fail(Alert& alert, const TryOutcome& outcome, Seconds now);
    void succeed(Alert& alert, Seconds now);
    Next startNext(Seconds now);
    bool capped(Seconds now);  // the tries within the cap's window have reached it
    void prune();              // forgets the alerts that are done, but for the one shown

    AlertTiming timing_;
    std::vector<Alert> alerts_;  // in the order of their changes
    int lastId_ = 0;
    int era_ = 0;
    AlertKind lastSent_ = AlertKind::None;
    AlertKind state_ = AlertKind::None;  // of the newest change
    Seconds lastSentAt_ = 0;
    int reminders_ = 0;           // sent or on their way since the newest change
    std::vector<Seconds> tries_;  // when each try within the cap's window started
    int held_ = 0;                // changes that came while capped, since the last try
    std::optional<TestOutcome> testOutcome_;
    std::wstring dropNote_;
};

}  // namespace kovalt::monitor
