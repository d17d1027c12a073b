#include <gtest/gtest.h>

#include "platform/process_query.h"

using kovalt::platform::processQueryText;

TEST(ProcessQueryText, TheQueryComparesTheExactName) {
    const std::wstring select = L"SELECT Name FROM Win32_Process WHERE Name=";
    EXPECT_EQ(processQueryText(L"PROCESS-NAME.exe"), select + L"'PROCESS-NAME.exe'");
    EXPECT_EQ(processQueryText(L"bob's miner.exe"), select + L"\"bob's miner.exe\"");
    EXPECT_EQ(processQueryText(L" x.exe "), select + L"' x.exe '");
    EXPECT_EQ(processQueryText(L"\x00e9t\x00e9.exe"), select + L"'\x00e9t\x00e9.exe'");
    // Names no process can have are answered without a query.
    for (const wchar_t* impossible : {L"", L"a\"b.exe", L"C:\\x.exe", L"a/b", L"a:b", L"*.exe",
                                      L"a?.exe", L"<a>", L"a|b", L"a\tb", L"\x001f"})
        EXPECT_FALSE(processQueryText(impossible)) << impossible;
    EXPECT_TRUE(processQueryText(L" "));
    EXPECT_TRUE(processQueryText(std::wstring(255, L'x')));
    EXPECT_FALSE(processQueryText(std::wstring(256, L'x')));
}
