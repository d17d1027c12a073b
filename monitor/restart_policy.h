// When the watchdog brings the watched program back: at once after a stop, then after longer
// and longer waits while it keeps stopping, and not at all once it has been restarted too often
// in a short time (a program that crashes as it starts), until monitoring is switched on again
// or the program is found running without the watchdog's help.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "monitor/clock.h"

namespace kovalt::monitor {

struct RestartTiming {
    int limit = 5;         // restarts within `window`; the next stop gives up
    Seconds window = 600;  // in seconds
};

class RestartPolicy {
public:
    explicit RestartPolicy(RestartTiming timing = {}) : timing_(timing) {}

    // The watched program is found away (stopped, or still away): whether to start it now.
    // The first restart within the window waits nothing, the later ones 1, 2, 4, 8 s from the
    // moment the program was found away.
    bool due(Seconds now);
    // Found running: a later stop waits from its own moment. After giving up, the program
    // runs by someone else's hand: a fresh start.
    void seenRunning();
    // The command was started, or could not be (why, in plain words); either counts.
    void started(Seconds now, const std::wstring& failure = {});
    // Whether the watchdog started the program since it was last found away, once: its run
    // is told only when it has proved stable.
    bool takeRestarted() { return std::exchange(restarted_, false); }
    // Monitoring is switched on again: a fresh start.
    void reset() { *this = RestartPolicy(timing_); }

    bool givenUp() const { return givenUp_; }
    // The last restart could not start, or the watchdog gave up: the caption's " !".
    bool failed() const { return givenUp_ || !failure_.empty(); }
    // What the tooltip tells of the restarts (tooltip_text.h words it).
    struct Shown {
        bool givenUp, noneStarted;
        int limit;
        Seconds window;
        std::optional<Seconds> last;  // the last restart, its number in the window and why it
        int count;                    // failed, if it did
        std::wstring failure;
    };
    Shown shown() const;

private:
    RestartTiming timing_;
    struct Start {
        Seconds at;
        bool failed;
    };
    std::deque<Start> starts_;  // within the window
    std::optional<Seconds> awayFrom_;
    std::optional<Seconds> last_;
    int lastCount_ = 0;
    std::wstring failure_;
    bool givenUp_ = false;
    bool restarted_ = false;
};

}  // namespace kovalt::monitor
