#include <gtest/gtest.h>

#include "platform/process_query.h"

using kovalt::platform::processQueryText;

TEST(ProcessQueryText, TheQueryComparesTheExactName) {
    const std::wstring select = L"SELECT Name FROM Win32_Process WHERE Name=";
    const std::wstring notSelf = L" AND ProcessId<>42";  // the watchdog never counts itself
    EXPECT_EQ(processQueryText(L"PROCESS-NAME.exe", 42), select + L"'PROCESS-NAME.exe'" + notSelf);
    EXPECT_EQ(processQueryText(L"bob's miner.exe", 42), select + L"\"bob's miner.exe\"" + notSelf);
    EXPECT_EQ(processQueryText(L" x.exe ", 42), select + L"' x.exe '" + notSelf);
    EXPECT_EQ(processQueryText(L"\x00e9t\x00e9.exe", 42),
              select + L"'\x00e9t\x00e9.exe'" + notSelf);
    // Names no process can have are answered without a query.
    for (const wchar_t* impossible : {L"", L"a\"b.exe", L"C:\\x.exe", L"a/b", L"a:b", L"*.exe",
                                      L"a?.exe", L"<a>", L"a|b", L"a\tb", L"\x001f"})
        EXPECT_FALSE(processQueryText(impossible, 42)) << impossible;
    EXPECT_TRUE(processQueryText(L" ", 42));
    EXPECT_TRUE(processQueryText(std::wstring(255, L'x'), 42));
    EXPECT_FALSE(processQueryText(std::wstring(256, L'x'), 42));
}
