// The heartbeat: a URL pinged while the watched program runs, so that a service elsewhere
// notices when the pings stop (the watchdog's whole machine gone too), and told at once of a
// stop. Fed on every watchdog tick with what the run light shows; it says what to ping now.
#pragma once

#include <optional>
#include <string>

#include "monitor/clock.h"
#include "monitor/tooltip_text.h"

namespace kovalt::monitor {

enum class Light { Off, Running, Stopped, NoCheck, Stuck };

// The ping URLs for a configured one: itself for success, ".../fail" for failure; a push
// monitor's ".../api/push/<token>" takes its status in the query instead.
std::wstring successUrl(const std::wstring& url);
std::wstring failureUrl(const std::wstring& url, Light light);

class Heartbeat {
public:
    Heartbeat(std::wstring url, Seconds period) : url_(std::move(url)), period_(period) {}

    // One tick: the URL to ping now, if any. `givenUp`: restarts of the program were given up.
    std::optional<std::wstring> tick(Seconds now, Light light, bool givenUp);
    // The ping started last has ended; `why` it failed, in plain words.
    void ended(Seconds now, bool ok, const std::wstring& why = {});
    bool pinging() const { return pinging_; }

    // "heartbeat sent 14:03:22" or "heartbeat failed 14:03:22: " and why; empty before any.
    std::wstring line(const ClockText& clock) const;

private:
    std::wstring url_;
    Seconds period_;
    Light light_ = Light::Off;
    Seconds since_ = 0;  // when the light last changed
    bool givenUp_ = false, noCheckTold_ = false;
    std::optional<std::wstring> owed_;  // a ping a change calls for, sent as soon as it can
    bool pinging_ = false;
    Seconds lastStart_ = 0;
    std::wstring retryUrl_;  // the ping that failed, tried again at retryAt_
    Seconds retryAt_ = 0;
    int failures_ = 0;
    struct Last {
        bool ok;
        Seconds at;
        std::wstring why;
    };
    std::optional<Last> last_;
};

}  // namespace kovalt::monitor
