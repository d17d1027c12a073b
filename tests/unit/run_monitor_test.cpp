#include <gtest/gtest.h>

#include "monitor/run_monitor.h"

using namespace kovalt::monitor;

namespace {
const std::wstring kName = L"PROCESS-NAME.exe";
using Timers = std::pair<bool, bool>;  // running, stopped
Timers timersOf(const RunMonitor& m) { return {m.runningTimerOn(), m.stoppedTimerOn()}; }
}  // namespace

TEST(RunMonitor, EveryRowOfTheStateTable) {
    using enum MonitorTimer;
    constexpr auto kFound = ProbeOutcome::Found, kAbsent = ProbeOutcome::NotFound;
    const std::tuple<Timers, MonitorTimer, ProbeOutcome, RunLook, AlertKind, Timers> rows[] = {
        {{1, 0}, Running, kFound, RunLook::Running, AlertKind::None, {1, 0}},
        {{1, 0}, Running, kAbsent, RunLook::Stopped, AlertKind::Stopped, {0, 1}},
        {{0, 1}, Stopped, kFound, RunLook::Running, AlertKind::Running, {1, 0}},
        {{0, 1}, Stopped, kAbsent, RunLook::Stopped, AlertKind::None, {0, 1}},
        // Both on (monitoring ticked again while watching for a start): the first tick decides.
        {{1, 1}, Running, kAbsent, RunLook::Stopped, AlertKind::Stopped, {0, 1}},
        {{1, 1}, Stopped, kFound, RunLook::Running, AlertKind::Running, {1, 0}},
        {{1, 1}, Running, kFound, RunLook::Running, AlertKind::None, {1, 1}},
        {{1, 1}, Stopped, kAbsent, RunLook::Stopped, AlertKind::None, {1, 1}},
        // A failed check is never green and changes nothing else: the next tick decides.
        {{1, 0}, Running, ProbeOutcome::Failed, RunLook::NoCheck, AlertKind::None, {1, 0}},
        {{0, 1}, Stopped, ProbeOutcome::Failed, RunLook::NoCheck, AlertKind::None, {0, 1}}};
    for (const auto& [before, timer, outcome, look, alert, after] : rows) {
        RunMonitor m;
        if (before.second) m.start(), m.tick(Running, kName, kAbsent);
        if (before.first) m.start();
        ASSERT_EQ(timersOf(m), before);
        EXPECT_EQ(m.tick(timer, kName, outcome, L"WMI"), alert);
        EXPECT_EQ(m.light().look, look);
        EXPECT_EQ(timersOf(m), after);
    }
    EXPECT_NE(styleOf(RunLook::NoCheck).background, styleOf(RunLook::Running).background);

    // Running but stuck, and working again: each a change; a stop while stuck is a stop.
    RunMonitor m;
    m.start();
    m.tick(Running, kName, kFound);
    EXPECT_EQ(m.tick(Running, kName, kFound, {}, L"log unchanged"), AlertKind::Stuck);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - PROCESS-NAME.exe - STUCK\r\nlog unchanged");
    EXPECT_EQ(m.tick(Running, kName, kFound, {}, L"log unchanged"), AlertKind::None);
    EXPECT_EQ(m.tick(Running, kName, kFound), AlertKind::Running);
    m.tick(Running, kName, kFound, {}, L"log unchanged");
    EXPECT_EQ(m.tick(Running, kName, kAbsent), AlertKind::Stopped);
}

TEST(RunMonitor, TheTooltipNamesTheProcessAndWhatItsCheckSaw) {
    RunMonitor m;
    EXPECT_EQ(timersOf(m), Timers(0, 0));
    m.start();
    EXPECT_EQ(m.light().look, RunLook::Initial) << "nothing shows before the first tick";
    m.tick(MonitorTimer::Running, kName, ProbeOutcome::Found);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - PROCESS-NAME.exe - RUNNING");
    m.tick(MonitorTimer::Running, kName, ProbeOutcome::Failed, L"WMI: Invalid query");
    EXPECT_NE(m.light().tooltip.find(L"CHECK FAILED: WMI: Invalid query"), std::wstring::npos);
    const std::wstring junk = L"x" + std::wstring(1 << 20, L'j');  // pasted; longer than a name
    m.tick(MonitorTimer::Running, junk, ProbeOutcome::NotFound);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + junk.substr(0, 255) + L"... - STOPPED");
    m.tick(MonitorTimer::Stopped, junk.substr(0, 255), ProbeOutcome::NotFound);
    EXPECT_EQ(m.light().tooltip, L"PROCESS - " + junk.substr(0, 255) + L" - STOPPED");
    m.stop();
    EXPECT_EQ(std::pair(m.light().look, m.light().tooltip),
              std::pair(RunLook::NotMonitoring, std::wstring(L"NOT MONITORING")));
    EXPECT_EQ(timersOf(m), Timers(0, 0));
}
