#include <cwctype>
#include <thread>

#include "platform/process_query.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(ProcessQuery, CountsEveryCopyOfTheNameAsWindowsComparesIt) {
    test::ScratchFolder folder;
    const std::wstring name = L"bob's watched " + test::uniqueSuffix() + L".exe";
    auto first = std::make_unique<test::WatchedProcess>(folder.path(), name);
    test::WatchedProcess second(folder.path(), name);
    ASSERT_TRUE(test::waitForCount(name, 2));
    std::wstring upper = name, withoutQuote = name;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    withoutQuote.erase(withoutQuote.find(L'\''), 1);
    EXPECT_EQ(platform::checkProcessRunning(upper).count, 2u) << "case does not matter";
    EXPECT_EQ(platform::checkProcessRunning(withoutQuote).outcome,
              platform::ProbeOutcome::NotFound);
    // The watchdog never counts itself, though it may be named like what it watches.
    EXPECT_EQ(platform::checkProcessRunning(L"kovalt_win_tests.exe").outcome,
              platform::ProbeOutcome::NotFound);
    first.reset();
    ASSERT_TRUE(test::waitForCount(name, 1));
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, platform::ProbeOutcome::Found);
}

TEST(ProcessQuery, WithoutComTheCheckFailsAndSaysWhy) {
    platform::ProbeResult result;  // a thread that never set up COM cannot make the locator
    std::thread([&] { result = platform::checkProcessRunning(L"explorer.exe"); }).join();
    EXPECT_EQ(result.outcome, platform::ProbeOutcome::Failed);
    EXPECT_EQ(result.error.code, static_cast<unsigned long>(CO_E_NOTINITIALIZED));
}
