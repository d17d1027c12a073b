// A road an alert goes by: the alert script with its mailer, a push over HTTP. The watchdog
// keeps one queue per road (order, tries again, what is owed, the cap) and asks the road only
// to start a try, to say how it ended, and to end it when its time is up.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "monitor/alert_kind.h"
#include "monitor/clock.h"
#include "monitor/owed_record.h"

namespace kovalt::monitor {

// What a try is to tell.
struct AlertToSend {
    AlertKind kind;
    int reminder = 0;      // which reminder of the stop it is; 0 for the change itself
    std::wstring process;  // the watched name it is about
};

// How a try ended.
struct TryOutcome {
    bool sent = false;
    std::wstring why;        // when not sent: in the road's own words
    Seconds retryAfter = 0;  // the other side asked for no try before this many seconds
    bool slow = false;       // a refusal unlikely to pass soon: tried again on the slow schedule
};

class AlertRoad {
public:
    virtual ~AlertRoad() = default;

    // How the tooltip and the owed record tell this road's alerts apart: empty for e-mail.
    virtual std::wstring name() const = 0;
    // Starts a try; nothing when it started, else why not.
    virtual std::optional<std::wstring> start(const AlertToSend& alert) = 0;
    // The try on its way: how it ended, once it has; nothing while it runs.
    virtual std::optional<TryOutcome> outcome() = 0;
    // Its time (`limit` seconds) is up: ended now, with what was known by then.
    virtual TryOutcome end(Seconds limit) = 0;
    // The watchdog closes: a try that can finish on its own is let finish.
    virtual void letGo() = 0;
    // What the next start needs to take up the try on its way, if it can outlive the watchdog.
    virtual std::optional<TryOnItsWay> onItsWay() const { return std::nullopt; }
    // At start, a try from before: how long it has been on its way when it still runs and is
    // the road's try again; otherwise nothing, and `judged` says how it ended when the road can.
    virtual std::optional<Seconds> takeUp(const TryOnItsWay&, std::optional<TryOutcome>& judged) {
        judged.reset();
        return std::nullopt;
    }
    // Where the user finds more when a try fails (the mailer's log); empty when nowhere.
    virtual std::wstring whereToLook() const { return {}; }
    // Whether the user set the road up: alerts go only down the roads that are.
    virtual bool active() const { return true; }
    // Reads what the road needs from the store again: at start, and after its window's OK.
    virtual void reload() {}

    // Set by the watchdog: called when a try has ended, for a road that knows it the moment it
    // happens (the others are asked once a second).
    std::function<void()> ended;
};

}  // namespace kovalt::monitor
