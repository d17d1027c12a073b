#include <gtest/gtest.h>

#include "instance/stuck_entries.h"

using namespace kovalt::instance;

TEST(StuckEntries, TheFirstProblemOfACheckThatIsOnIsTold) {
    const auto isFolder = [](const std::wstring& path) { return path == L"C:\\logs"; };
    const StuckEntries fine[] = {{L"", L"junk", L"", L"junk"},  // boxes of checks that are off
                                 {L"d:/n.log", L"1", L"https://h/x", L"100", L"1440"},
                                 {L"\\\\srv\\share\\node.log", L"1440", L"127.0.0.1:8332", L"1"}};
    for (const StuckEntries& typed : fine)
        EXPECT_EQ(stuckProblem(typed, isFolder), std::nullopt) << typed.file << typed.address;
    const std::pair<StuckEntries, const wchar_t*> problems[] = {
        {{L"node.log", L"10"}, L"not a full path"},
        {{L"\\\\srv\\\\n.log", L"10"}, L"not a full path"},
        {{L"C:\\logs", L"10"}, L"C:\\logs is a folder"},
        {{L"C:\\n.log", L"0"}, L"log may stay unchanged as a whole number from 1 to 1440"},
        {{L"", L"", L"localhost", L"3"}, L"is neither host:port"},
        {{L"", L"", L"h:1", L"101"}, L"failures in a row as a whole number from 1 to 100"},
        {{L"", L"", L"", L"", L"2.5"}, L"CPU time may stay unchanged"},
        {{L"node.log", L"0", L"h", L"0", L"0"}, L"not a full path"}};  // the first only
    for (const auto& [typed, expected] : problems)
        EXPECT_NE(stuckProblem(typed, isFolder).value_or(L"").find(expected), std::wstring::npos)
            << expected;
}
