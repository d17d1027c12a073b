#include <gtest/gtest.h>

#include "monitor/alert_queue.h"

using namespace kovalt::monitor;

namespace {
using Start = AlertQueue::Start;
constexpr auto kStopped = AlertKind::Stopped, kRunning = AlertKind::Running;
const std::string kSent = "Dec 07 04:49:40 host sendemail[7]: Email was sent successfully!\n";
const std::string kRefused =
    "Dec 07 04:49:40 host sendemail[7]: ERROR => Connection attempt to 127.0.0.1:25 failed \r\n";
std::wstring at(Seconds t) { return L"t" + std::to_wstring(t); }

// A try that ended, with what the mailer wrote.
std::vector<Start> end(AlertQueue& q, int id, Seconds now, const std::string& log,
                       unsigned long code = 0) {
    bool endIt = false;
    return q.observe(id, {true, code, log}, now, endIt);
}
}  // namespace

TEST(AlertQueue, TheMailersWordsDecideEachTry) {
    EXPECT_TRUE(verdictIn("NOTICE => x\n" + kSent)->sent);
    EXPECT_EQ(verdictIn("WARNING => y\r\n" + kRefused)->line,
              L"ERROR => Connection attempt to 127.0.0.1:25 failed");
    EXPECT_FALSE(verdictIn("NOTICE => The log file does not exist. Creating it now\n"));
    EXPECT_EQ(verdictIn("ERROR => x")->line, L"ERROR => x");

    AlertQueue q;
    EXPECT_EQ(q.due(kStopped, 0), (std::vector<Start>{{1, kStopped}}));
    bool endIt = false;
    EXPECT_TRUE(q.observe(1, {false, 0, ""}, 5, endIt).empty());
    EXPECT_FALSE(q.notSent()) << "no mark while the first try is on its way";
    EXPECT_EQ(q.tooltipLine(at, L"L"), L"STOPPED alert being sent since t0");
    end(q, 1, 6, kSent);
    EXPECT_FALSE(q.busy() || q.notSent());
    EXPECT_EQ(q.tooltipLine(at, L"L"), L"STOPPED alert sent t6");
    // A status that is not 0 fails the try even without a word in the log.
    q.due(kRunning, 10);
    end(q, 2, 11, "", 1);
    EXPECT_TRUE(q.notSent());
    EXPECT_EQ(q.tooltipLine(at, L"C:\\W\\LOGS\\W-SEND-EMAIL.LOG"),
              L"RUNNING alert NOT SENT t11: the mailer ended with status 1; next try t71 "
              L"(log: C:\\W\\LOGS\\W-SEND-EMAIL.LOG)");
    // A clean exit: believed once the log stays quiet, the mailer's word otherwise.
    AlertQueue quiet;
    quiet.due(kStopped, 0);
    EXPECT_TRUE(end(quiet, 1, 0, "").empty());
    EXPECT_TRUE(quiet.busy()) << "not yet: a mailer started from a script may still log";
    end(quiet, 1, 10, "");
    EXPECT_FALSE(quiet.busy() || quiet.notSent());
    quiet.due(kRunning, 20);
    end(quiet, 2, 20, "NOTICE => Creating it now\n");
    end(quiet, 2, 40, "NOTICE => Creating it now\n" + kRefused);
    EXPECT_TRUE(quiet.notSent()) << "the log grew: its verdict counts, not the status";
    // An old outcome seen again decides nothing; a try again waits its own quiet time.
    end(quiet, 2, 41, kSent);
    EXPECT_TRUE(quiet.notSent());
    EXPECT_EQ(quiet.tick(100), (std::vector<Start>{{2, kRunning}}));
    end(quiet, 2, 105, "");
    EXPECT_TRUE(quiet.busy());
}

TEST(AlertQueue, ATryThatTakesTooLongIsEndedAndCountsAsNotSent) {
    AlertQueue q({60, 300});
    q.due(kStopped, 0);
    bool endIt = false;
    q.observe(1, {false, 0, ""}, 299, endIt);
    EXPECT_FALSE(endIt);
    q.observe(1, {false, 0, ""}, 300, endIt);
    EXPECT_TRUE(endIt);
    EXPECT_TRUE(q.notSent());
    EXPECT_NE(q.tooltipLine(at, L"L").find(L"did not finish within 300 s"), std::wstring::npos);
    EXPECT_TRUE(q.running().empty());
}

TEST(AlertQueue, ANotSentAlertIsTriedAgainOnScheduleThenGivenUp) {
    AlertQueue q({60, 300});
    q.due(kStopped, 0);
    Seconds now = 0;
    std::vector<Seconds> tries;
    for (int i = 0; i < 200 && q.busy(); ++i) {
        end(q, 1, now, kRefused);
        // Nothing before the next try is due; then exactly that one.
        Seconds next = now + 1;
        while (next < now + 2000 && q.tick(next).empty() && q.busy()) next += 1;
        if (!q.busy()) break;
        tries.push_back(next - now);
        now = next;
    }
    const std::vector<Seconds> first(tries.begin(), tries.begin() + 7);
    EXPECT_EQ(first, (std::vector<Seconds>{60, 120, 240, 480, 900, 900, 900}));
    EXPECT_LE(now, 24 * 3600 + 900);
    EXPECT_GE(now, 24 * 3600 - 900);
    EXPECT_NE(q.tooltipLine(at, L"L").find(L"given up after 24 hours"), std::wstring::npos);
    EXPECT_TRUE(q.notSent());

    AlertQueue edge({50, 300, 50});  // a try due just as the time to give up comes
    edge.due(kStopped, 0);
    end(edge, 1, 0, kRefused);
    EXPECT_TRUE(edge.tick(50).empty());
    EXPECT_FALSE(edge.busy());
}

TEST(AlertQueue, AlertsNeverArriveOutOfOrder) {
    AlertQueue q({60, 300});
    q.due(kStopped, 0);
    end(q, 1, 1, kRefused);  // STOPPED waits for its next try
    // RUNNING comes due: the waiting STOPPED goes first, then RUNNING, one at a time.
    EXPECT_EQ(q.due(kRunning, 10), (std::vector<Start>{{1, kStopped}}));
    EXPECT_EQ(q.running(), std::vector<int>{1});
    EXPECT_EQ(end(q, 1, 12, kSent), (std::vector<Start>{{2, kRunning}}));
    end(q, 2, 13, kSent);
    EXPECT_FALSE(q.busy());

    // Both fail again: each keeps its own schedule, neither is lost.
    AlertQueue w({60, 300});
    w.due(kStopped, 0);
    end(w, 1, 1, kRefused);
    w.due(kRunning, 10);
    EXPECT_EQ(end(w, 1, 12, kRefused), (std::vector<Start>{{2, kRunning}}));  // 1 next at 132
    end(w, 2, 13, kRefused);                                                  // 2 next at 73
    EXPECT_EQ(w.tick(73), (std::vector<Start>{{2, kRunning}}));
    end(w, 2, 74, kRefused);
    EXPECT_EQ(w.tick(132), (std::vector<Start>{{1, kStopped}}));

    // Both fail; the later one sent first drops the earlier, which it tells of.
    AlertQueue r({60, 300});
    r.due(kStopped, 0);
    end(r, 1, 1, kRefused);
    r.due(kRunning, 10);
    end(r, 1, 11, kRefused);
    end(r, 2, 12, kSent);
    EXPECT_FALSE(r.busy()) << "the STOPPED alert is not sent after the RUNNING one";
    EXPECT_EQ(r.tooltipLine(at, L"L"),
              L"RUNNING alert sent t12; the earlier alert that was not sent was dropped: this one "
              L"tells of it");
    EXPECT_TRUE(r.tick(10000).empty());

    // With nothing waiting, a new alert starts at once, beside one still on its way.
    AlertQueue s;
    s.due(kStopped, 0);
    EXPECT_EQ(s.due(kRunning, 1), (std::vector<Start>{{2, kRunning}}));
    EXPECT_EQ(s.running(), (std::vector<int>{1, 2}));
    end(s, 2, 2, kSent);
    EXPECT_EQ(s.running(), std::vector<int>{1}) << "a try on its way is not dropped";
    end(s, 1, 3, kRefused);
    EXPECT_FALSE(s.busy()) << "the RUNNING alert already sent tells of this one";
    EXPECT_NE(s.tooltipLine(at, L"L").find(L"was dropped"), std::wstring::npos);
    s.due(kStopped, 4);
    s.due(kRunning, 5);
    // A script that could not start is a try that failed.
    EXPECT_TRUE(s.notStarted(4, L"could not start x.bat - denied", 6).empty());
    EXPECT_NE(s.tooltipLine(at, L"L").find(L"NOT SENT t6: could not start x.bat - denied"),
              std::wstring::npos);
}
