#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(CommandStart, RunsTheScriptFromAnyFolderWithoutWaiting) {
    test::ScratchFolder root(L"kovalt (x86) R&D a^b!c;d,e=f");  // read specially outside quotes
    // The script waits for a file the test makes only after the start returned.
    test::writeFile(root / L"s.bat",
                    ":wait\r\nif not exist \"%~dp0go\" goto wait\r\necho ran> \"%~dp0ran\"\r\n");
    platform::StartedScript script;
    const platform::Result result = platform::startBatchHidden(root / L"s.bat", script);
    ASSERT_TRUE(result.ok()) << test::narrow(platform::describe(result));
    EXPECT_FALSE(test::fileExists(root / L"ran"));
    EXPECT_FALSE(script.exitCode()) << "still running";
    test::writeFile(root / L"go", "");
    EXPECT_TRUE(test::waitUntil([&] { return test::readFile(root / L"ran") == "ran\r\n"; }));
    EXPECT_TRUE(test::waitUntil([&] { return script.exitCode() == 0ul; }));
}

TEST(CommandStart, WhatCannotStartIsReportedWithTheSystemsCode) {
    test::ScratchFolder plain, percent(L"kovalt 100%OS% sure");  // cmd.exe would expand %OS%
    test::writeFile(percent / L"s.bat", "");
    platform::StartedScript script;
    for (const auto& [path, code] : {std::pair{plain / L"none.bat", DWORD{ERROR_FILE_NOT_FOUND}},
                                     {plain.path(), 336},  // ERROR_DIRECTORY_NOT_SUPPORTED
                                     {percent / L"s.bat", ERROR_INVALID_NAME}})
        EXPECT_EQ(platform::startBatchHidden(path, script).code, code) << test::narrow(path);
}
