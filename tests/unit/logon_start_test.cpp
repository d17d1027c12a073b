#include <gtest/gtest.h>

#include "instance/logon_start.h"

using namespace kovalt::instance;

TEST(LogonStart, TheRunValueNamesThisExecutableAndOnlyStartupCounts) {
    const std::wstring exe = L"C:\\Watch Dogs\\WALLET-WATCH.exe";
    EXPECT_EQ(logonRunCommand(exe), L"\"C:\\Watch Dogs\\WALLET-WATCH.exe\" /startup");
    EXPECT_TRUE(startsThisProgram(logonRunCommand(exe), L"c:\\watch dogs\\wallet-watch.EXE"));
    EXPECT_FALSE(startsThisProgram(L"\"C:\\Old\\WALLET-WATCH.exe\" /startup", exe));
    EXPECT_FALSE(startsThisProgram(L"\"C:\\Watch Dogs\\WALLET-WATCH.exe /startup", exe));
    for (const auto& [line, atLogon] : {std::pair{L"\"C:\\W\\W.exe\" /startup", true},
                                        {L"W.exe  /STARTUP ", true},
                                        {L"W.exe /x /Startup", true},
                                        {L"\"C:\\a /startup b\\W.exe\"", false},
                                        {L"W.exe /startupx", false},
                                        {L"/startup", false},
                                        {L"", false}})
        EXPECT_EQ(startedAtLogon(line), atLogon) << line;
}
