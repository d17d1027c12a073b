#include <gtest/gtest.h>

#include "monitor/restart_policy.h"
#include "monitor/tooltip_text.h"

using namespace kovalt::monitor;

namespace {
std::wstring at(Seconds t) { return L"t" + std::to_wstring(t); }

// Asks once a second from `from` on, as the checks do, until a restart is due; its time.
Seconds nextRestart(RestartPolicy& p, Seconds from) {
    for (Seconds t = from; t < from + 100; ++t)
        if (p.due(t)) return t;
    return -1;
}
}  // namespace

TEST(RestartPolicy, WaitsLongerEachTimeThenGivesUpUntilReset) {
    RestartPolicy p;
    // A program that stops as soon as it starts: found away right after each restart.
    std::vector<Seconds> waits;
    for (Seconds t = 0; !p.givenUp() && waits.size() < 10;) {
        const Seconds start = nextRestart(p, t);
        if (start < 0) break;
        waits.push_back(start - t);
        p.started(start);
        t = start + 1;
    }
    EXPECT_EQ(waits, (std::vector<Seconds>{0, 1, 2, 4, 8}));
    EXPECT_TRUE(p.givenUp() && p.failed());
    EXPECT_EQ(restartLine(p.shown(), at), L"restart given up: 5 restarts in 10 minutes");
    EXPECT_FALSE(p.due(10000)) << "given up stays given up";
    p.reset();
    EXPECT_TRUE(p.due(10001)) << "monitoring switched on again";
    for (Seconds t = 10001; !p.givenUp(); ++t)
        if (p.due(t)) p.started(t, L"denied");
    EXPECT_EQ(restartLine(p.shown(), at), L"restart given up: 5 restarts failed");
    EXPECT_FALSE(p.takeRestarted()) << "none started";
    p.seenRunning();
    EXPECT_TRUE(p.due(20000) && !p.givenUp()) << "it ran by someone else's hand";
    p.started(20000);
    EXPECT_TRUE(p.takeRestarted() && !p.takeRestarted());

    // A program that ran between stops waits from its own stop; restarts further back than
    // the window no longer count.
    RestartPolicy slow({5, 600});
    for (auto [away, start] : {std::pair{0, 0}, {200, 201}, {400, 402}, {1003, 1003}}) {
        slow.seenRunning();
        EXPECT_EQ(nextRestart(slow, away), start) << away;
        slow.started(start);
    }
    EXPECT_EQ(restartLine(slow.shown(), at), L"restarted at t1003 (1 of 5)");
}
