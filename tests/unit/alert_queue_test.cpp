#include <gtest/gtest.h>

#include "monitor/alert_queue.h"
#include "monitor/mailer_log.h"
#include "monitor/tooltip_text.h"

using namespace kovalt::monitor;
using namespace std::string_literals;

namespace {
using Start = AlertQueue::Start;
constexpr auto kStopped = AlertKind::Stopped, kRunning = AlertKind::Running;
const std::string kSent = "Dec 07 04:49:40 host sendemail[7]: Email was sent successfully!\n";
const std::string kRefused =
    "Dec 07 04:49:40 host sendemail[7]: ERROR => Connection attempt to 127.0.0.1:25 failed \r\n";
std::wstring at(Seconds t) { return L"t" + std::to_wstring(t); }

MailerLog logOf(const std::string& text) {
    MailerLog log;
    log.add(text);
    return log;
}
// A try whose script ended with `code`, with what the mailer wrote.
AlertQueue::Next end(AlertQueue& q, int id, Seconds now, const std::string& log,
                     unsigned long code = 0) {
    return q.finished(id, *judgeMailer(code, true, logOf(log)), now);
}
std::wstring line(const AlertQueue& q, const std::wstring& log = L"L") {
    return alertsLine(q.shown(), at, {}, log);
}
bool shows(const AlertQueue& q, const std::wstring& part) {
    return line(q).find(part) != std::wstring::npos;
}
}  // namespace

TEST(AlertQueue, TheMailersWordsDecideEachTryAsSoonAsItsScriptHasEnded) {
    MailerLog log;  // read in pieces, as the log grows
    for (const char* piece :
         {"NOTICE => x\nERROR => first\r\nERR", "OR => second\nEmail was ", "sent successfully"})
        log.add(piece);
    EXPECT_TRUE(log.grew() && log.verdict()->sent) << "a last line without its end counts";
    EXPECT_EQ(verdictIn("WARNING => y\r\n" + kRefused + "ERROR => later\n")->line,
              L"ERROR => Connection attempt to 127.0.0.1:25 failed");
    EXPECT_FALSE(verdictIn("NOTICE => The log file does not exist. Creating it now\n"));

    // Nothing is judged before the script has ended and all it logged is read.
    EXPECT_FALSE(judgeMailer(std::nullopt, true, logOf(kSent)));
    EXPECT_FALSE(judgeMailer(0, false, logOf(kSent)));

    AlertQueue q;
    EXPECT_EQ(q.due(kStopped, 0), (Start{1, kStopped}));
    EXPECT_FALSE(q.notSent()) << "no mark while the first try is on its way";
    EXPECT_EQ(line(q), L"STOPPED alert being sent since t0");
    end(q, 1, 6, kSent);
    EXPECT_FALSE(q.busy() || q.notSent());
    EXPECT_EQ(line(q), L"STOPPED alert sent t6");
    // A status that is not 0 fails the try even without a word in the log.
    q.due(kRunning, 10);
    end(q, 2, 11, "", 1);
    EXPECT_EQ(line(q, L"C:\\W\\LOGS\\W-SEND-EMAIL.LOG"),
              L"RUNNING alert NOT SENT t11: the mailer ended with status 1; next try t71 "
              L"(log: C:\\W\\LOGS\\W-SEND-EMAIL.LOG)");
    // A clean exit: sent when the mailer wrote nothing, not sent when it wrote no verdict.
    AlertQueue quiet;
    quiet.due(kStopped, 0);
    end(quiet, 1, 0, "");
    EXPECT_FALSE(quiet.busy() || quiet.notSent());
    quiet.due(kRunning, 20);
    end(quiet, 2, 20, "NOTICE => killed half way\n");
    EXPECT_TRUE(quiet.notSent() && quiet.busy());
    EXPECT_TRUE(shows(quiet, L"ended without writing that the e-mail was sent"));
    // A try still running at its time limit is ended and counts as not sent.
    AlertQueue slow({60, 300});
    slow.due(kStopped, 0);
    EXPECT_FALSE(slow.timeUp(1, 299));
    EXPECT_TRUE(slow.timeUp(1, 300));
    EXPECT_TRUE(mailerTimedOut(logOf(kSent), 300).sent) << "its words were in";
    slow.finished(1, mailerTimedOut(logOf(""), 300), 300);
    EXPECT_TRUE(slow.notSent() && !slow.running());
    EXPECT_TRUE(shows(slow, L"the mailer did not finish within 300 s"));
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
    EXPECT_TRUE(shows(q, L"given up after 24 hours"));
    EXPECT_TRUE(q.notSent());

    AlertQueue edge({50, 300, 50});  // a try due just as the time to give up comes
    edge.due(kStopped, 0);
    end(edge, 1, 0, kRefused);
    EXPECT_FALSE(edge.tick(50));
    EXPECT_FALSE(edge.busy());
}

TEST(AlertQueue, ABurstBehindATryDropsRepeatsButNeverAStateAndTellsEachInOrder) {
    // What the mailbox reads: the first try's STOPPED, the changes that came while it ran, and
    // how each try ends (in the order they end); the last e-mail before was RUNNING.
    struct Row {
        const char* what;
        std::vector<AlertKind> changes;
        std::vector<bool> sent;  // the first try's outcome, then the next ones'
        std::vector<AlertKind> mailbox;
    };
    const Row rows[] = {
        {"one change waits behind the try", {kRunning}, {true, true}, {kStopped, kRunning}},
        {"the newest tells of the repeats",
         {kRunning, kStopped, kRunning},
         {1, 1},
         {kStopped, kRunning}},
        {"a brief run during the mail is told",
         {kRunning, kStopped},
         {1, 1, 1},
         {kStopped, kRunning, kStopped}},
        {"a failed stop is told before the run that followed",
         {kRunning},
         {0, 1, 1},
         {kStopped, kRunning}},
        {"a failed stop and the same state again: sent once",
         {kRunning, kStopped},
         {0, 1},
         {kStopped}},
        {"the same state again is a repeat", {kStopped}, {true}, {kStopped}},
    };
    for (const Row& row : rows) {
        AlertQueue q({60, 300});
        end(q, q.due(kRunning, 0)->id, 0, kSent);
        AlertQueue::Next next = q.due(kStopped, 1);
        Seconds t = 2;
        for (AlertKind k : row.changes) EXPECT_FALSE(q.due(k, t++)) << row.what;
        std::vector<AlertKind> mailbox;
        for (bool sent : row.sent) {
            if (!next) next = q.tick(t += 60);  // a failed one, tried again
            ASSERT_TRUE(next) << row.what;
            if (sent) mailbox.push_back(next->kind);
            next = end(q, next->id, t++, sent ? kSent : kRefused);
        }
        EXPECT_FALSE(next || q.tick(t + 10000)) << row.what;
        EXPECT_EQ(mailbox, row.mailbox) << row.what;
    }

    // An e-mail tells only of the changes that came before it was written.
    AlertQueue w;
    w.due(kStopped, 0);
    w.due(kRunning, 1);
    EXPECT_EQ(end(w, 1, 3, kSent), (Start{2, kRunning}));
    w.due(kStopped, 4);
    w.due(kRunning, 5);
    w.due(kStopped, 6);
    const AlertQueue::Next last = end(w, 2, 7, kSent);
    EXPECT_FALSE(shows(w, L"tells of them"));
    end(w, last->id, 8, kSent);
    EXPECT_TRUE(shows(w, L"STOPPED alert sent t8; 2 earlier change(s) not mailed"));

    // Monitoring ticked on again while the process is away mails the stop once more, as when
    // it is first ticked; but while that stop is still on its way, once is enough.
    AlertQueue again;
    end(again, again.due(kStopped, 0)->id, 1, kSent);
    EXPECT_EQ(again.due(kStopped, 2), (Start{2, kStopped}));
    EXPECT_FALSE(again.due(kStopped, 3));
    EXPECT_FALSE(end(again, 2, 4, kSent) || again.busy());
    // A script that could not start is a try that failed.
    EXPECT_FALSE(
        again.finished(again.due(kRunning, 20)->id, {false, L"could not start x.bat"}, 21));
    EXPECT_TRUE(shows(again, L"NOT SENT t21: could not start x.bat"));
}

TEST(AlertQueue, ARestartedProgramIsToldRunningOnlyOnceItProvedStable) {
    // A crash loop: each restart runs two seconds. One STOPPED e-mail, and it stays true.
    AlertQueue q;
    end(q, q.due(kStopped, 0)->id, 1, kSent);
    for (Seconds t = 2; t < 40; t += 4) {
        EXPECT_FALSE(q.due(kRunning, t, t + 30));
        EXPECT_TRUE(shows(q, L"RUNNING alert t" + std::to_wstring(t + 30) + L", once"));
        EXPECT_EQ(q.owed(t).kind, AlertKind::None) << "a start not proved stable is owed nobody";
        EXPECT_FALSE(q.due(kStopped, t + 2));
        EXPECT_FALSE(q.tick(t + 3));
    }
    // One that stays up is told once its time has come.
    EXPECT_FALSE(q.due(kRunning, 50, 80));
    EXPECT_FALSE(q.tick(79));
    EXPECT_EQ(q.tick(80)->kind, kRunning);
}

TEST(AlertQueue, RemindersWhileStoppedCountFromTheLastSentAndEndWithTheRun) {
    AlertQueue q({60, 300, 86400, 600});
    end(q, q.due(kStopped, 0)->id, 1, kSent);
    EXPECT_FALSE(q.tick(600));
    EXPECT_FALSE(q.tick(601, false)) << "none while the process cannot be seen";
    const AlertQueue::Next first = q.tick(601);
    ASSERT_EQ(first, (Start{2, kStopped, false, 1}));
    end(q, first->id, 602, kSent);
    EXPECT_EQ(line(q), L"reminder 1 sent at t602");
    const AlertQueue::Next second = q.tick(1202);
    ASSERT_TRUE(second);
    end(q, second->id, 1203, kRefused);
    EXPECT_TRUE(q.notSent()) << "a reminder not sent shows as any alert";
    EXPECT_FALSE(q.tick(1250)) << "no third while the second waits for its next try";
    // The run comes back: the waiting reminder goes, the running alert tells of no change.
    const AlertQueue::Next back = q.due(kRunning, 1260);
    ASSERT_TRUE(back && back->kind == kRunning);
    end(q, back->id, 1261, kSent);
    EXPECT_EQ(line(q), L"RUNNING alert sent t1261");
    EXPECT_FALSE(q.tick(9000) || q.busy());
}

TEST(AlertQueue, AfterTenTriesInTenMinutesOnlyTheStateAtTheEndIsMailedOrOneThatLasted) {
    for (const bool endsAsLastMailed : {false, true}) {
        AlertQueue q;
        AlertKind kind = kStopped;
        for (Seconds t = 0; t < 20; t += 2, kind = kind == kStopped ? kRunning : kStopped)
            end(q, q.due(kind, t)->id, t + 1, kSent);  // ten alerts, the last RUNNING
        EXPECT_FALSE(q.due(kStopped, 20));
        EXPECT_FALSE(q.due(kRunning, 21));
        if (!endsAsLastMailed) EXPECT_FALSE(q.due(kStopped, 22));
        EXPECT_EQ(q.notSent(), !endsAsLastMailed) << "a held change shows until it is sent";
        if (endsAsLastMailed) {
            EXPECT_FALSE(q.tick(600)) << "the held changes cancel out";
            continue;
        }
        EXPECT_TRUE(shows(q,
                          L"\r\n3 change(s) held after 10 alerts in 10 minutes; the state "
                          L"then is mailed t600"));
        // The state true for a minute goes, cap or not; the next change waits its minute.
        EXPECT_FALSE(q.tick(81));
        const AlertQueue::Next lasted = q.tick(82);
        ASSERT_TRUE(lasted && lasted->kind == kStopped);
        end(q, lasted->id, 83, kSent);
        EXPECT_FALSE(q.due(kRunning, 100) || q.tick(141));
        EXPECT_EQ(q.tick(160)->kind, kRunning);
    }
}

TEST(AlertQueue, ATestEmailWaitsForTheTryOnItsWayAndIsTriedOnceMarkingNoAlert) {
    AlertQueue q;
    q.due(kStopped, 0);
    EXPECT_FALSE(q.test(1) || q.test(2)) << "behind the try, and one test at a time";
    const AlertQueue::Next test = end(q, 1, 3, kSent);
    ASSERT_TRUE(test && test->test);
    EXPECT_FALSE(end(q, test->id, 5, kRefused) || q.notSent()) << "a failed test marks nothing";
    EXPECT_FALSE(q.takeTestOutcome().value_or(AlertQueue::TestOutcome{true}).sent);
    EXPECT_FALSE(q.tick(10000) || q.busy()) << "and is not tried again";
}

TEST(AlertQueue, WhatIsOwedIsKeptAsTextAndTriedFirstAtTheNextStart) {
    constexpr auto kNone = AlertKind::None;
    for (const Owed& owed : {Owed{kNone, 0, kRunning},
                             {kStopped, 0, kRunning, TryOnItsWay{4242, 13347, 99}, {}},
                             {kStopped, 3, kStopped, std::nullopt, L"wallet node.exe"}})
        EXPECT_EQ(readKept(keptText(owed)), owed) << keptText(owed).size();
    EXPECT_EQ(readKept(L"STOPPED 0 RUNNING")->kind, kStopped) << "as kept before";
    for (const std::wstring& junk :
         {L" "s, L"STOPPED"s, L"STOPPED 0 RUNNING x"s, L"STOPPED -1 RUNNING"s,
          L"STOPPED 12345 RUNNING"s, L"RUNNING 2 STOPPED"s, L"stopped 0 RUNNING"s,
          L"STOPPED 0 RUNNING TRY 1 2"s, L"TEST 0 NONE"s, std::wstring(1 << 16, L'S')})
        EXPECT_FALSE(readKept(junk)) << junk.size();

    // The try on its way when the strip closes is owed, and what the last e-mail told.
    AlertQueue q;
    EXPECT_EQ(keptText(q.owed(0)), L"") << "nothing owed, nothing kept";
    end(q, q.due(kRunning, 0)->id, 1, kSent);
    q.due(kStopped, 2);
    q.due(kRunning, 3);
    EXPECT_EQ(q.owed(3), (Owed{kStopped, 0, kRunning})) << "the one on its way goes first";
    AlertQueue next;
    EXPECT_EQ(next.restore(q.owed(3), 0), (Start{1, kStopped}));
    EXPECT_TRUE(shows(next, L"; owed from before the restart"));
    EXPECT_FALSE(next.due(kRunning, 1)) << "a change after the start waits behind it";
    end(next, 1, 2, kSent);
    EXPECT_EQ(next.owed(2), (Owed{kRunning, 0, kStopped}));
    // Its try still on its way is taken up again and judged at its end.
    AlertQueue later({60, 300});
    EXPECT_FALSE(later.restore({kStopped, 0, kRunning}, 400, 150));
    EXPECT_TRUE(later.timeUp(*later.running(), 450)) << "its time limit counts from its start";

    // Switched off, or another program watched: what is owed is dropped, and said so.
    AlertQueue off;
    end(off, off.due(kStopped, 0)->id, 1, kRefused);
    off.dropOwed(L"monitoring was switched off", false);
    EXPECT_EQ(off.owed(2), (Owed{kNone, 0, kNone}));
    EXPECT_TRUE(shows(off, L"the STOPPED alert not yet sent was dropped: monitoring was"));
    EXPECT_FALSE(off.tick(10000) || off.busy());
    AlertQueue renamed;
    end(renamed, renamed.due(kStopped, 0)->id, 1, kSent);
    const AlertQueue::Next running = renamed.due(kRunning, 2);
    renamed.dropOwed(L"another program is watched", true);
    end(renamed, running->id, 3, kRefused);
    EXPECT_FALSE(renamed.tick(10000)) << "not tried again";
    EXPECT_EQ(renamed.due(kStopped, 10001)->kind, kStopped) << "told afresh";
}
