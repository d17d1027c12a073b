#include <gtest/gtest.h>

#include "monitor/alert_queue.h"

using namespace kovalt::monitor;
using namespace std::string_literals;

namespace {
using Start = AlertQueue::Start;
constexpr auto kStopped = AlertKind::Stopped, kRunning = AlertKind::Running;
const std::string kSent = "Dec 07 04:49:40 host sendemail[7]: Email was sent successfully!\n";
const std::string kRefused =
    "Dec 07 04:49:40 host sendemail[7]: ERROR => Connection attempt to 127.0.0.1:25 failed \r\n";
std::wstring at(Seconds t) { return L"t" + std::to_wstring(t); }

// A try that ended, with what the mailer wrote.
AlertQueue::Next end(AlertQueue& q, int id, Seconds now, const std::string& log,
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
    EXPECT_EQ(q.due(kStopped, 0), (Start{1, kStopped}));
    bool endIt = false;
    EXPECT_FALSE(q.observe(1, {false, 0, ""}, 5, endIt));
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
    EXPECT_FALSE(end(quiet, 1, 0, ""));
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
    EXPECT_EQ(quiet.tick(100), (Start{2, kRunning}));
    end(quiet, 2, 105, "");
    EXPECT_TRUE(quiet.busy());
    // A try still running at its time limit is ended and counts as not sent.
    AlertQueue slow({60, 300});
    slow.due(kStopped, 0);
    EXPECT_FALSE(slow.observe(1, {false, 0, kSent}, 299, endIt) || endIt);
    slow.observe(1, {false, 0, ""}, 300, endIt);
    EXPECT_TRUE(endIt && slow.notSent() && !slow.running());
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
        while (next < now + 2000 && !q.tick(next) && q.busy()) next += 1;
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
    EXPECT_FALSE(edge.tick(50));
    EXPECT_FALSE(edge.busy());
}

TEST(AlertQueue, OneTryAtATimeAndOnlyTheNewestWaitingChangeIsSent) {
    // What the mailbox reads: the changes, and how each try ends (in the order they end).
    struct Row {
        const char* what;
        std::vector<AlertKind> changes;  // each while the first try still runs
        std::vector<bool> firstTrySent;  // the first try's outcome, then the next ones'
        std::vector<AlertKind> mailbox;
    };
    const Row rows[] = {
        {"one change waits behind the try", {kRunning}, {true, true}, {kStopped, kRunning}},
        {"the newest wins", {kRunning, kStopped, kRunning}, {true, true}, {kStopped, kRunning}},
        {"changes that cancel out send nothing more", {kRunning, kStopped}, {true}, {kStopped}},
        {"a failed try is dropped for the newer change", {kRunning}, {false, true}, {kRunning}},
        {"the newer change goes even when the same as the failed one",
         {kRunning, kStopped},
         {false, true},
         {kStopped}},
    };
    for (const Row& row : rows) {
        AlertQueue q({60, 300});
        AlertQueue::Next next = q.due(kStopped, 0);
        Seconds t = 1;
        for (AlertKind k : row.changes) EXPECT_FALSE(q.due(k, t++)) << row.what;
        std::vector<AlertKind> mailbox;
        for (bool sent : row.firstTrySent) {
            ASSERT_TRUE(next) << row.what;
            if (sent) mailbox.push_back(next->kind);
            next = end(q, next->id, t++, sent ? kSent : kRefused);
        }
        EXPECT_FALSE(next) << row.what;
        EXPECT_EQ(mailbox, row.mailbox) << row.what;
        EXPECT_FALSE(q.busy()) << row.what;
    }

    // The mailer's words come before its end: the next try waits for the end all the same.
    AlertQueue w;
    w.due(kStopped, 0);
    w.due(kRunning, 1);
    bool endIt = false;
    EXPECT_FALSE(w.observe(1, {false, 0, kSent}, 2, endIt));
    EXPECT_EQ(end(w, 1, 3, kSent), (Start{2, kRunning}));

    // Monitoring ticked on again while the process is away mails the stop once more, as when
    // it is first ticked: nothing came in between to cancel out.
    AlertQueue again;
    end(again, again.due(kStopped, 0)->id, 1, kSent);
    EXPECT_EQ(again.due(kStopped, 2), (Start{2, kStopped}));

    // A failed alert waiting for its next try is replaced by a newer change, which goes at once;
    // the tooltip tells that it stands for the one dropped.
    AlertQueue r({60, 300});
    end(r, r.due(kStopped, 0)->id, 1, kRefused);
    EXPECT_EQ(r.due(kRunning, 10), (Start{2, kRunning}));
    end(r, 2, 12, kSent);
    EXPECT_FALSE(r.busy()) << "the STOPPED alert is not sent after the RUNNING one";
    EXPECT_EQ(r.tooltipLine(at, L"L"),
              L"RUNNING alert sent t12; 1 earlier change(s) not mailed: this alert tells of them");
    EXPECT_FALSE(r.tick(10000));
    // A script that could not start is a try that failed.
    EXPECT_FALSE(r.notStarted(r.due(kStopped, 20)->id, L"could not start x.bat - denied", 21));
    EXPECT_NE(r.tooltipLine(at, L"L").find(L"NOT SENT t21: could not start x.bat - denied"),
              std::wstring::npos);
}

TEST(AlertQueue, RemindersWhileStoppedCountFromTheLastSentAndEndWithTheRun) {
    AlertQueue q({60, 300, 86400, 600});
    end(q, q.due(kStopped, 0)->id, 1, kSent);
    EXPECT_FALSE(q.tick(600));
    EXPECT_FALSE(q.tick(601, false)) << "none while the process cannot be seen";
    const AlertQueue::Next first = q.tick(601);
    ASSERT_EQ(first, (Start{2, kStopped}));
    end(q, first->id, 602, kSent);
    EXPECT_EQ(q.tooltipLine(at, L"L"), L"reminder 1 sent at t602");
    const AlertQueue::Next second = q.tick(1202);
    ASSERT_TRUE(second);
    end(q, second->id, 1203, kRefused);
    EXPECT_TRUE(q.notSent()) << "a reminder not sent shows as any alert";
    EXPECT_FALSE(q.tick(1250)) << "no third while the second waits for its next try";
    // The run comes back: the waiting reminder goes, the running alert tells of no change.
    const AlertQueue::Next back = q.due(kRunning, 1260);
    ASSERT_TRUE(back && back->kind == kRunning);
    end(q, back->id, 1261, kSent);
    EXPECT_EQ(q.tooltipLine(at, L"L"), L"RUNNING alert sent t1261");
    EXPECT_FALSE(q.tick(9000) || q.busy());
}

TEST(AlertQueue, AfterTenTriesInTenMinutesOnlyTheStateAtTheEndIsMailed) {
    for (const bool endsAsLastMailed : {false, true}) {
        AlertQueue q;
        AlertKind kind = kStopped;
        for (Seconds t = 0; t < 20; t += 2, kind = kind == kStopped ? kRunning : kStopped)
            end(q, q.due(kind, t)->id, t + 1, kSent);  // ten alerts, the last RUNNING
        EXPECT_FALSE(q.due(kStopped, 20));
        EXPECT_FALSE(q.due(kRunning, 21));
        if (!endsAsLastMailed) EXPECT_FALSE(q.due(kStopped, 22));
        EXPECT_EQ(q.notSent(), !endsAsLastMailed) << "a held change shows until it is sent";
        EXPECT_FALSE(q.tick(599));
        if (endsAsLastMailed) {
            EXPECT_FALSE(q.tick(600)) << "the held changes cancel out";
            continue;
        }
        EXPECT_NE(q.tooltipLine(at, L"L").find(L"\r\n3 change(s) held after 10 alerts in 10 "
                                               L"minutes; the state then is mailed t600"),
                  std::wstring::npos);
        const AlertQueue::Next last = q.tick(600);
        ASSERT_TRUE(last && last->kind == kStopped);
        EXPECT_FALSE(q.due(kRunning, 601)) << "the cap counts the tries of the last 10 minutes";
    }
}

TEST(AlertQueue, ATestEmailWaitsForTheTryOnItsWayIsTriedOnceAndLeavesTheAlertsAlone) {
    AlertQueue q;
    q.due(kStopped, 0);
    EXPECT_FALSE(q.test(1));
    EXPECT_FALSE(q.test(2)) << "one test at a time";
    const AlertQueue::Next test = end(q, 1, 3, kSent);
    ASSERT_TRUE(test && test->test);
    EXPECT_FALSE(q.due(kRunning, 4)) << "an alert waits behind the test";
    const AlertQueue::Next running = end(q, test->id, 5, kRefused);
    EXPECT_EQ(running, (Start{running->id, kRunning}));
    const auto outcome = q.takeTestOutcome();
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->sent);
    EXPECT_EQ(outcome->why, L"ERROR => Connection attempt to 127.0.0.1:25 failed");
    EXPECT_FALSE(q.takeTestOutcome());
    EXPECT_FALSE(q.notSent()) << "a failed test marks no alert";
    end(q, running->id, 6, kSent);
    EXPECT_FALSE(q.tick(10000) || q.busy()) << "and is not tried again";
}

TEST(AlertQueue, WhatIsOwedIsKeptAsTextAndTriedFirstAtTheNextStart) {
    constexpr auto kNone = AlertKind::None;
    for (const Owed& owed :
         {Owed{kNone, 0, kNone}, {kStopped, 0, kRunning}, {kStopped, 3, kStopped}})
        EXPECT_EQ(readKept(keptText(owed)), owed) << keptText(owed).size();
    for (const std::wstring& junk :
         {L" "s, L"STOPPED"s, L"STOPPED 0 RUNNING x"s, L"STOPPED -1 RUNNING"s,
          L"STOPPED 12345 RUNNING"s, L"NONE 2 NONE"s, L"stopped 0 RUNNING"s,
          std::wstring(1 << 16, L'S')})
        EXPECT_FALSE(readKept(junk)) << junk.size();

    // The try on its way when the strip closes is owed, and what the last e-mail told.
    EXPECT_EQ(keptText(AlertQueue().owed()), L"") << "nothing owed, nothing kept";
    AlertQueue q;
    end(q, q.due(kRunning, 0)->id, 1, kSent);
    q.due(kStopped, 2);
    EXPECT_EQ(q.owed(), (Owed{kStopped, 0, kRunning}));
    AlertQueue next;
    EXPECT_EQ(next.restore(q.owed(), 0), (Start{1, kStopped}));
    EXPECT_NE(next.tooltipLine(at, L"L").find(L"; owed from before the restart"),
              std::wstring::npos);
    EXPECT_FALSE(next.due(kRunning, 1)) << "a change after the start waits behind it";
    end(next, 1, 2, kSent);
    EXPECT_EQ(next.owed(), (Owed{kRunning, 0, kStopped}));
}
