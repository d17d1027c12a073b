#include <gtest/gtest.h>

#include "monitor/run_monitor.h"

using namespace kovalt::monitor;

namespace {
// What the check answers, and why it failed.
struct Answer {
    ProbeOutcome outcome;
    std::wstring failure;
};
const Answer kFound{ProbeOutcome::Found, {}}, kAbsent{ProbeOutcome::NotFound, {}};
const Answer kBroken{ProbeOutcome::Failed, L"WMI query: Invalid query (0x80041017)"};
const std::wstring kName = L"PROCESS-NAME.exe";
using Timers = std::pair<bool, bool>;  // running, stopped
Timers timersOf(const RunMonitor& m) { return {m.runningTimerOn(), m.stoppedTimerOn()}; }
// The tick the program would see next: the running timer's while it watches for a stop.
AlertKind tick(RunMonitor& m, const Answer& p, const std::wstring& name = kName) {
    return m.tick(m.runningTimerOn() ? MonitorTimer::Running : MonitorTimer::Stopped, name,
                  p.outcome, p.failure);
}
}  // namespace

TEST(RunMonitor, EveryRowOfTheStateTable) {
    using enum MonitorTimer;
    const std::tuple<Timers, MonitorTimer, const Answer*, RunLook, AlertKind, Timers> rows[] = {
        {{1, 0}, Running, &kFound, RunLook::Running, AlertKind::None, {1, 0}},
        {{1, 0}, Running, &kAbsent, RunLook::Stopped, AlertKind::Stopped, {0, 1}},
        {{0, 1}, Stopped, &kFound, RunLook::Running, AlertKind::Running, {1, 0}},
        {{0, 1}, Stopped, &kAbsent, RunLook::Stopped, AlertKind::None, {0, 1}},
        // Both on (monitoring ticked again while watching for a start): the first tick decides.
        {{1, 1}, Running, &kAbsent, RunLook::Stopped, AlertKind::Stopped, {0, 1}},
        {{1, 1}, Stopped, &kFound, RunLook::Running, AlertKind::Running, {1, 0}},
        {{1, 1}, Running, &kFound, RunLook::Running, AlertKind::None, {1, 1}},
        {{1, 1}, Stopped, &kAbsent, RunLook::Stopped, AlertKind::None, {1, 1}}};
    for (const auto& [before, timer, probe, look, alert, after] : rows) {
        RunMonitor m;
        if (before.second) m.start(), m.tick(Running, kName, ProbeOutcome::NotFound);
        if (before.first) m.start();
        ASSERT_EQ(timersOf(m), before);
        EXPECT_EQ(m.tick(timer, kName, probe->outcome), alert);
        EXPECT_EQ(m.light().look, look);
        EXPECT_EQ(timersOf(m), after);
    }
}

TEST(RunMonitor, EachChangeIsAlertedOnceAndTheTooltipNamesTheProcess) {
    RunMonitor m;
    EXPECT_EQ(timersOf(m), Timers(0, 0));
    m.start();
    EXPECT_EQ(m.light().look, RunLook::Initial) << "nothing shows before the first tick";
    std::vector<AlertKind> alerts;
    for (const Answer* p : {&kFound, &kFound, &kAbsent, &kAbsent, &kFound, &kFound})
        if (AlertKind a = tick(m, *p); a != AlertKind::None) alerts.push_back(a);
    EXPECT_EQ(alerts, (std::vector{AlertKind::Stopped, AlertKind::Running}));
    EXPECT_EQ(m.light().tooltip, L"PROCESS - PROCESS-NAME.exe - RUNNING");
    const std::wstring junk = L"x" + std::wstring(1 << 20, L'j');  // pasted; longer than a name
    tick(m, kAbsent, junk);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + junk.substr(0, 255) + L"... - STOPPED");
    tick(m, kAbsent, junk.substr(0, 255));
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + junk.substr(0, 255) + L" - STOPPED");
    m.stop();
    EXPECT_EQ(std::pair(m.light().look, m.light().tooltip),
              std::pair(RunLook::NotMonitoring, std::wstring(L"NOT MONITORING")));
    EXPECT_EQ(timersOf(m), Timers(0, 0));
}

TEST(RunMonitor, AFailedCheckShowsNoCheckAndChangesNothingElse) {
    for (const Answer* first : {&kFound, &kAbsent}) {
        RunMonitor m;
        m.start();
        tick(m, *first);
        const Timers timers = timersOf(m);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(tick(m, kBroken), AlertKind::None);
        EXPECT_EQ(m.light().look, RunLook::NoCheck) << "never green while blind";
        EXPECT_EQ(timersOf(m), timers);
        EXPECT_NE(m.light().tooltip.find(L"CHECK FAILED: " + kBroken.failure), std::wstring::npos);
        EXPECT_NE(tick(m, first == &kFound ? kAbsent : kFound), AlertKind::None)
            << "then it decides";
        EXPECT_EQ(m.light().look, first == &kFound ? RunLook::Stopped : RunLook::Running);
    }
    EXPECT_NE(styleOf(RunLook::NoCheck).background, styleOf(RunLook::Running).background);
}
