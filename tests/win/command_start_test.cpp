#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;

TEST(CommandStart, WhatCannotStartIsReportedWithTheSystemsCode) {
    test::ScratchFolder plain, percent(L"kovalt 100%OS% sure");  // cmd.exe would expand %OS%
    test::writeFile(percent / L"s.bat", "");
    platform::StartedScript script;
    for (const auto& [path, code] : {std::pair{plain / L"none.bat", DWORD{ERROR_FILE_NOT_FOUND}},
                                     {plain.path(), 336},  // ERROR_DIRECTORY_NOT_SUPPORTED
                                     {percent / L"s.bat", ERROR_INVALID_NAME}})
        EXPECT_EQ(platform::startBatchHidden(path, script).code, code) << test::narrow(path);
}
