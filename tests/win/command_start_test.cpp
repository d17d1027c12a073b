#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(CommandStart, RunsTheScriptFromAnyFolderWithoutWaiting) {
    test::ScratchFolder root(L"kovalt (x86) R&D a^b!c;d,e=f");  // read specially outside quotes
    // The script waits for a file the test makes only after the start returned.
    test::writeFile(root / L"s.bat",
                    ":wait\r\nif not exist \"%~dp0go\" goto wait\r\necho ran> \"%~dp0ran\"\r\n");
    const platform::StartResult result = platform::startBatchHidden(root / L"s.bat");
    ASSERT_TRUE(result.started) << test::narrow(result.reason);
    EXPECT_FALSE(test::fileExists(root / L"ran"));
    test::writeFile(root / L"go", "");
    EXPECT_TRUE(test::waitUntil([&] { return test::readFile(root / L"ran") == "ran\r\n"; }));
}

TEST(CommandStart, WhatCannotStartIsReportedWithTheReason) {
    test::ScratchFolder plain, percent(L"kovalt 100%OS% sure");  // cmd.exe would expand %OS%
    for (const test::ScratchFolder* root : {&plain, &percent})
        test::writeFile(*root / L"s.bat", "");
    ASSERT_TRUE(platform::startBatchHidden(plain / L"s.bat").started);
    for (const std::wstring& path :
         {plain / L"NONE\\s.bat", plain / L"none.bat", plain.path(), percent / L"s.bat"}) {
        const platform::StartResult result = platform::startBatchHidden(path);
        EXPECT_FALSE(result.started || result.reason.empty()) << test::narrow(path);
    }
}
