#include <gtest/gtest.h>

#include <cwctype>
#include <thread>

#include "platform/process_query.h"
#include "win_test_support.h"

using namespace kovalt;
using monitor::ProbeOutcome;
using test::ScratchFolder;
using test::WatchedProcess;

namespace {
unsigned countOf(const std::wstring& name) {
    auto result = platform::checkProcessRunning(name);
    EXPECT_NE(result.outcome, ProbeOutcome::Failed) << std::string(result.reason.begin(), result.reason.end());
    return result.count;
}
}  // namespace

TEST(ProcessQuery, FindsEveryCopyOfTheWatchedProgramAndNoticesTheirEnd) {
    ScratchFolder folder;
    const std::wstring name = L"kv-watched-" + test::uniqueSuffix() + L".exe";
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, ProbeOutcome::NotFound);

    WatchedProcess first(folder.path(), name);
    WatchedProcess second(folder.path(), name);
    ASSERT_TRUE(test::waitUntil([&] { return countOf(name) == 2; }));
    auto found = platform::checkProcessRunning(name);
    EXPECT_EQ(found.outcome, ProbeOutcome::Found);

    // Windows compares process names without regard to case.
    std::wstring upper = name;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    EXPECT_EQ(platform::checkProcessRunning(upper).outcome, ProbeOutcome::Found);

    first.kill();
    ASSERT_TRUE(test::waitUntil([&] { return countOf(name) == 1; }));
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, ProbeOutcome::Found)
        << "one copy left still counts as running";
    second.kill();
    EXPECT_TRUE(test::waitUntil([&] { return countOf(name) == 0; }));
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, ProbeOutcome::NotFound);
}

TEST(ProcessQuery, ANameWithAQuoteIsComparedExactly) {
    ScratchFolder folder;
    const std::wstring name = L"bob's miner " + test::uniqueSuffix() + L".exe";
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, ProbeOutcome::NotFound);
    WatchedProcess watched(folder.path(), name);
    ASSERT_TRUE(test::waitUntil([&] { return countOf(name) == 1; }));
    // The same name without its quote is another name.
    std::wstring without = name;
    without.erase(without.find(L'\''), 1);
    EXPECT_EQ(platform::checkProcessRunning(without).outcome, ProbeOutcome::NotFound);
}

TEST(ProcessQuery, NamesNoProcessCanHaveAreNotRunningWithoutFailing) {
    for (const wchar_t* name : {L"", L"a\"b.exe", L"C:\\Windows\\explorer.exe", L"*.exe",
                                L"explorer.exe|x"}) {
        auto result = platform::checkProcessRunning(name);
        EXPECT_EQ(result.outcome, ProbeOutcome::NotFound) << name;
    }
    // A name that runs on every system, to show the probe is not just always "not found".
    EXPECT_EQ(platform::checkProcessRunning(L"explorer.exe").outcome, ProbeOutcome::Found);
}

TEST(ProcessQuery, WithoutComTheCheckFailsAndSaysWhy) {
    // On a thread where COM was never set up, the locator cannot be made: the probe reports
    // the failure instead of answering running or stopped.
    monitor::ProbeResult result;
    std::thread([&] { result = platform::checkProcessRunning(L"explorer.exe"); }).join();
    EXPECT_EQ(result.outcome, ProbeOutcome::Failed);
    EXPECT_NE(result.reason.find(L"WMI"), std::wstring::npos);
}
