#include <gtest/gtest.h>

#include "monitor/stuck_checks.h"

using namespace kovalt;
using namespace kovalt::monitor;
using platform::FileSeen, platform::FileState, platform::CpuSeen, platform::WindowsSeen;

namespace {
const ClockText kClock = [](Seconds t) { return L"t" + std::to_wstring(t); };
FileSeen file(unsigned long long written, unsigned long long size) {
    return {FileState::Present, written, size};
}
// Feeds a check what was seen, row by row: a check is stuck when its line tells since when.
template <typename Check, typename Seen>
void play(Check check, const std::vector<std::tuple<Seconds, Seen, std::wstring>>& rows) {
    for (const auto& [at, seen, line] : rows) {
        check.seen(seen, at);
        EXPECT_EQ(check.line(kClock), line) << "at " << at;
        EXPECT_EQ(check.stuck(), line.find(L"since") != std::wstring::npos) << "at " << at;
    }
}
}  // namespace

TEST(StuckChecks, ALogIsStuckOnlyWhenItsTimeAndSizeStayForTheSpan) {
    const std::wstring waiting = L"waiting for C:\\n.log",
                       since = L"log C:\\n.log unchanged since ";
    play<FileCheck, FileSeen>(
        {L"C:\\n.log", 60},
        {{0, {}, waiting},
         {200, {}, waiting},  // never written: not stuck, however long
         {200, file(1, 10), L""},
         {259, file(1, 10), L""},
         {260, file(1, 10), since + L"t200"},
         {261, file(1, 11), L""},  // the size alone moved
         {330, file(2, 11), L""},  // the time alone moved
         {385, {FileState::Unreadable, 0, 0, L"denied"}, L"log C:\\n.log cannot be read: denied"},
         {390, file(2, 11), since + L"t330"},  // a failed look is no change
         {391, {}, waiting},
         {451, file(2, 11), L""}});  // back after a rotation: afresh
}

TEST(StuckChecks, CpuTimeIsStuckOnlyWhenNoProcessOfTheNameMoved) {
    play<CpuCheck, CpuSeen>(
        {L"node.exe", 60},
        {{0, {{{1, 100}, {2, 50}}}, L""},
         {60, {{{1, 100}, {2, 50}}}, L"CPU time of node.exe unchanged since t0"},
         {61, {{{1, 100}, {2, 51}}}, L""},  // one moved
         {130, {{{1, 100}}}, L""},          // one ended
         {200, {{{1, 100}, {3, 0}}}, L""},  // one came
         {259, {{{1, 100}}, {3}, L"denied"}, L"CPU time of node.exe cannot be read: denied"},
         {260, {{{1, 100}, {3, 0}}}, L"CPU time of node.exe unchanged since t200"},
         {999, {}, L""}});
}

TEST(StuckChecks, AWindowIsStuckWhenItHasNotRespondedForTheSpanInARow) {
    play<WindowCheck, WindowsSeen>({L"node.exe", 30},
                                   {{0, {1, 1}, L""},
                                    {30, {1, 0}, L""},
                                    {31, {2, 1}, L""},
                                    {60, {2, 1}, L""},
                                    {61, {2, 1}, L"window of node.exe not responding since t31"},
                                    {62, {0, 0}, L""}});
}

TEST(StuckChecks, AnAddressIsStuckAfterFailuresInARowTriedOneAtATimeSpacedApart) {
    AddressCheck port(L" 127.0.0.1:8332 ", 3, 10);
    Seconds at = 0;
    for (bool answered : {false, false, true, false, false, false}) {
        ASSERT_TRUE(port.due(at));
        const int number = port.tried(at);
        EXPECT_FALSE(port.due(at + 60)) << "one try at a time";
        EXPECT_FALSE(port.stuck()) << "an answer between starts the count again";
        port.answered(number, {answered, L"refused"}, at + 4);
        EXPECT_FALSE(port.due(at + 9));
        at += 10;
    }
    EXPECT_EQ(port.line(kClock),
              L"127.0.0.1:8332 did not answer 3 times in a row (since t34): refused");
    const int before = port.tried(at);
    port.reset();
    EXPECT_FALSE(port.stuck());
    port.tried(at);
    port.answered(before, {false, L"late"}, at);
    EXPECT_FALSE(port.due(at + 60)) << "a try of the run before counts for nothing";
    AddressCheck junk(L"h", 3, 10);
    EXPECT_FALSE(junk.due(0));
    EXPECT_NE(junk.line(kClock).find(L"not checked: The address \"h\""), std::wstring::npos);
}

TEST(StuckChecks, TheSettingsSetThemUpAndTheFirstStuckOneIsTold) {
    settings::MemoryStore store;
    settings::InstanceSettings section{store, L"W"};
    namespace keys = settings::keys;
    EXPECT_FALSE(StuckChecks(stuckSetup(section), L"node.exe").any()) << "each is off at first";
    for (const auto& [key, value] : {std::pair(&keys::STUCK_FILE_TEXTBOX, L"C:\\n.log"),
                                     {&keys::STUCK_FILE_MINUTES_TEXTBOX, L"junk"},
                                     {&keys::STUCK_CPU_MINUTES_TEXTBOX, L"2"},
                                     {&keys::STUCK_ADDRESS_TEXTBOX, L"  "},
                                     {&keys::STUCK_WINDOW_TICKBOX, L"1"},
                                     {&keys::STUCK_WINDOW_SECONDS, L"5"}})
        section.save(*key, value);
    const StuckSetup setup = stuckSetup(section);
    EXPECT_EQ(std::tuple(setup.fileSpan, setup.cpuSpan, setup.windowSpan), std::tuple(600, 120, 5));
    StuckChecks checks(setup, L"node.exe");
    EXPECT_FALSE(checks.address);
    checks.file->seen({}, 0);
    for (Seconds at : {0, 120}) checks.cpu->seen({{{1, 5}}}, at);
    EXPECT_TRUE(checks.stuck());
    EXPECT_EQ(checks.line(kClock), L"CPU time of node.exe unchanged since t0");
    checks.reset();
    checks.cpu->seen({{{1, 5}}, {1}, L"denied"}, 121);
    EXPECT_FALSE(checks.stuck()) << "a new run starts afresh";
    EXPECT_EQ(checks.line(kClock), L"CPU time of node.exe cannot be read: denied");
}
