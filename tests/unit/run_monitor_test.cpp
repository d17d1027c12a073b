#include <gtest/gtest.h>

#include "monitor/run_monitor.h"

using namespace kovalt::monitor;

namespace {
const ProbeResult kFound{ProbeOutcome::Found, 1, {}};
const ProbeResult kAbsent{ProbeOutcome::NotFound, 0, {}};
const ProbeResult kBroken{ProbeOutcome::Failed, 0, L"WMI query: Invalid query (0x80041017)"};
const std::wstring kName = L"PROCESS-NAME.exe";

struct Timers {
    bool running, stopped;
    bool operator==(const Timers&) const = default;
};
Timers timersOf(const RunMonitor& m) { return {m.runningTimerOn(), m.stoppedTimerOn()}; }
}  // namespace

TEST(RunMonitor, StartsWatchingForAStopWithoutTouchingTheLight) {
    RunMonitor m;
    EXPECT_EQ(timersOf(m), (Timers{false, false}));
    EXPECT_EQ(m.light().look, RunLook::Initial);
    EXPECT_EQ(m.light().tooltip, L"");
    m.start();
    EXPECT_EQ(timersOf(m), (Timers{true, false}));
    EXPECT_EQ(m.light().look, RunLook::Initial);
}

TEST(RunMonitor, EveryRowOfTheStateTable) {
    struct Row {
        Timers before;
        MonitorTimer ticking;
        const ProbeResult* probe;
        RunLook look;
        AlertKind alert;
        Timers after;
    };
    const Row rows[] = {
        // Watching for a stop.
        {{true, false}, MonitorTimer::Running, &kFound, RunLook::Running, AlertKind::None, {true, false}},
        {{true, false}, MonitorTimer::Running, &kAbsent, RunLook::Stopped, AlertKind::Stopped, {false, true}},
        // Watching for a start.
        {{false, true}, MonitorTimer::Stopped, &kFound, RunLook::Running, AlertKind::Running, {true, false}},
        {{false, true}, MonitorTimer::Stopped, &kAbsent, RunLook::Stopped, AlertKind::None, {false, true}},
        // Both timers on: whichever ticks acts as in its own row.
        {{true, true}, MonitorTimer::Running, &kAbsent, RunLook::Stopped, AlertKind::Stopped, {false, true}},
        {{true, true}, MonitorTimer::Stopped, &kFound, RunLook::Running, AlertKind::Running, {true, false}},
        {{true, true}, MonitorTimer::Running, &kFound, RunLook::Running, AlertKind::None, {true, true}},
        {{true, true}, MonitorTimer::Stopped, &kAbsent, RunLook::Stopped, AlertKind::None, {true, true}},
    };
    for (const Row& row : rows) {
        RunMonitor m;
        // Reach the row's starting state the way the program does.
        if (row.before.stopped) {
            m.start();
            m.tick(MonitorTimer::Running, kName, kAbsent);
        }
        if (row.before.running) m.start();
        ASSERT_EQ(timersOf(m), row.before);
        EXPECT_EQ(m.tick(row.ticking, kName, *row.probe), row.alert);
        EXPECT_EQ(m.light().look, row.look);
        EXPECT_EQ(timersOf(m), row.after);
    }
}

TEST(RunMonitor, AStopIsAlertedOnceAndTheReturnOnce) {
    RunMonitor m;
    m.start();
    std::vector<AlertKind> alerts;
    const ProbeResult* sequence[] = {&kFound, &kFound, &kAbsent, &kAbsent, &kAbsent, &kFound, &kFound};
    for (const ProbeResult* p : sequence) {
        MonitorTimer ticking = m.runningTimerOn() ? MonitorTimer::Running : MonitorTimer::Stopped;
        if (AlertKind a = m.tick(ticking, kName, *p); a != AlertKind::None) alerts.push_back(a);
    }
    EXPECT_EQ(alerts, (std::vector<AlertKind>{AlertKind::Stopped, AlertKind::Running}));
}

TEST(RunMonitor, RestartingWhileWatchingForAStartSendsTheStopAgain) {
    RunMonitor m;
    m.start();
    EXPECT_EQ(m.tick(MonitorTimer::Running, kName, kAbsent), AlertKind::Stopped);
    m.start();  // monitoring ticked on again while the process is still away
    EXPECT_EQ(timersOf(m), (Timers{true, true}));
    EXPECT_EQ(m.tick(MonitorTimer::Running, kName, kAbsent), AlertKind::Stopped);
    EXPECT_EQ(timersOf(m), (Timers{false, true}));
}

TEST(RunMonitor, TooltipsNameTheProcessAsItStoodAtThatTick) {
    RunMonitor m;
    m.start();
    m.tick(MonitorTimer::Running, kName, kFound);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - PROCESS-NAME.exe - RUNNING");
    m.tick(MonitorTimer::Running, L"wallet.exe", kAbsent);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - wallet.exe - STOPPED");
    m.tick(MonitorTimer::Stopped, L"", kAbsent);
    EXPECT_EQ(m.light().tooltip, L"PROCESS -  - STOPPED");
    m.stop();
    EXPECT_EQ(m.light().look, RunLook::NotMonitoring);
    EXPECT_EQ(m.light().tooltip, L"NOT MONITORING");
    EXPECT_EQ(timersOf(m), (Timers{false, false}));
}

TEST(RunMonitor, LooksHaveTheirCaptionsAndColours) {
    auto s = styleOf(RunLook::Running);
    EXPECT_STREQ(s.caption, L"RUNNING");
    EXPECT_EQ(s.background, 65280u);
    EXPECT_EQ(s.text, 0u);
    s = styleOf(RunLook::Stopped);
    EXPECT_STREQ(s.caption, L"STOPPED");
    EXPECT_EQ(s.background, 255u);
    EXPECT_EQ(s.text, 0u);
    for (RunLook off : {RunLook::Initial, RunLook::NotMonitoring}) {
        s = styleOf(off);
        EXPECT_STREQ(s.caption, L"OFF");
        EXPECT_EQ(s.background, 0xFFFFFFu);
        EXPECT_EQ(s.text, 255u);
    }
}

TEST(RunMonitor, AFailedCheckChangesNothingButSaysWhy) {
    for (bool watchingForStart : {false, true}) {
        RunMonitor m;
        m.start();
        m.tick(MonitorTimer::Running, kName, watchingForStart ? kAbsent : kFound);
        const RunLook look = m.light().look;
        const Timers timers = timersOf(m);
        const MonitorTimer ticking = watchingForStart ? MonitorTimer::Stopped : MonitorTimer::Running;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(m.tick(ticking, kName, kBroken), AlertKind::None);
        EXPECT_EQ(m.light().look, look);
        EXPECT_EQ(timersOf(m), timers);
        EXPECT_NE(m.light().tooltip.find(L"CHECK FAILED"), std::wstring::npos);
        EXPECT_NE(m.light().tooltip.find(kBroken.reason), std::wstring::npos);
        // Recovery: the answer after the failure decides as usual.
        const AlertKind expected = watchingForStart ? AlertKind::Running : AlertKind::Stopped;
        EXPECT_EQ(m.tick(ticking, kName, watchingForStart ? kFound : kAbsent), expected);
        EXPECT_EQ(m.light().tooltip.find(L"CHECK FAILED"), std::wstring::npos);
    }
}

TEST(RunMonitor, AnAlertThatCouldNotStartStaysVisibleUntilOneStarts) {
    RunMonitor m;
    m.start();
    ASSERT_EQ(m.tick(MonitorTimer::Running, kName, kAbsent), AlertKind::Stopped);
    m.alertFailed(L"C:\\W\\BATS\\W-PROCESS-STOPPED-EMAIL.bat", L"The system cannot find the file");
    EXPECT_EQ(m.light().look, RunLook::Stopped);
    EXPECT_EQ(timersOf(m), (Timers{false, true})) << "the state still changes";
    const std::wstring expected =
        L"PROCESS - PROCESS-NAME.exe - STOPPED\r\nALERT NOT SENT - could not start "
        L"C:\\W\\BATS\\W-PROCESS-STOPPED-EMAIL.bat - The system cannot find the file";
    EXPECT_EQ(m.light().tooltip, expected);
    m.tick(MonitorTimer::Stopped, kName, kAbsent);
    EXPECT_EQ(m.light().tooltip, expected) << "later ticks keep the problem in view";
    ASSERT_EQ(m.tick(MonitorTimer::Stopped, kName, kFound), AlertKind::Running);
    m.alertStarted();
    EXPECT_EQ(m.light().tooltip, L"PROCESS - PROCESS-NAME.exe - RUNNING");

    m.tick(MonitorTimer::Running, kName, kAbsent);
    m.alertFailed(L"x.bat", L"denied");
    m.stop();
    EXPECT_EQ(m.light().tooltip, L"NOT MONITORING");
}

TEST(ProcessQuery, TheQueryComparesTheExactName) {
    EXPECT_EQ(processQueryText(L"PROCESS-NAME.exe"),
              L"SELECT Name FROM Win32_Process WHERE Name='PROCESS-NAME.exe'");
    EXPECT_EQ(processQueryText(L"bob's miner.exe"),
              L"SELECT Name FROM Win32_Process WHERE Name=\"bob's miner.exe\"");
    EXPECT_EQ(processQueryText(L" x.exe "), L"SELECT Name FROM Win32_Process WHERE Name=' x.exe '");
    EXPECT_EQ(processQueryText(L"\x00e9t\x00e9.exe"),
              L"SELECT Name FROM Win32_Process WHERE Name='\x00e9t\x00e9.exe'");
    // Names no process can have are answered without a query.
    for (const wchar_t* impossible : {L"", L"a\"b.exe", L"C:\\x.exe", L"a/b", L"a:b", L"*.exe",
                                      L"a?.exe", L"<a>", L"a|b", L"a\tb"})
        EXPECT_FALSE(processQueryText(impossible).has_value()) << impossible;
    EXPECT_TRUE(processQueryText(std::wstring(251, L'x') + L".exe").has_value());
    EXPECT_FALSE(processQueryText(std::wstring(252, L'x') + L".exe").has_value());
}

TEST(RunMonitor, AnAbsurdlyLongNameIsShortenedOnTheTooltipOnly) {
    RunMonitor m;
    m.start();
    const std::wstring junk(1 << 20, L'j');
    EXPECT_EQ(m.tick(MonitorTimer::Running, junk, kAbsent), AlertKind::Stopped);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + junk.substr(0, 255) + L"... - STOPPED");
    const std::wstring longest(255, L'n');
    m.tick(MonitorTimer::Stopped, longest, kAbsent);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + longest + L" - STOPPED");
}
