#include <cwctype>
#include <thread>

#include "platform/command_start.h"
#include "platform/process_query.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(ProcessQuery, CountsEveryCopyOfTheNameAsWindowsComparesIt) {
    test::ScratchFolder folder;
    const std::wstring name = L"bob's watched " + test::uniqueSuffix() + L".exe";
    ::CopyFileW(test::helperProgram(L"kovalt_test_sleeper.exe").c_str(), (folder / name).c_str(),
                FALSE);
    // Called as a script calls the mailer; were it left to finish, the script would end with 3.
    test::writeFile(folder / L"s.bat",
                    "call \"" + test::narrow(folder / name) + "\" 60\r\nexit /b 3\r\n");
    platform::StartedScript first, second;
    for (auto* copy : {&first, &second})
        ASSERT_TRUE(platform::startBatchHidden(folder / L"s.bat", *copy).ok());
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
    first.end();  // and what it started with it
    ASSERT_TRUE(test::waitForCount(name, 1));
    EXPECT_EQ(platform::checkProcessRunning(name).outcome, platform::ProbeOutcome::Found);
    EXPECT_TRUE(test::waitUntil([&] { return first.exitCode().has_value(); }));
    EXPECT_NE(first.exitCode(), 3ul) << "ended, not finished";
    second.end();
}

TEST(ProcessQuery, WithoutComTheCheckFailsAndSaysWhy) {
    platform::ProbeResult result;  // a thread that never set up COM cannot make the locator
    std::thread([&] { result = platform::checkProcessRunning(L"explorer.exe"); }).join();
    EXPECT_EQ(result.outcome, platform::ProbeOutcome::Failed);
    EXPECT_EQ(result.error.code, static_cast<unsigned long>(CO_E_NOTINITIALIZED));
}
