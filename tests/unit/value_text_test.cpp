#include <gtest/gtest.h>

#include <cfloat>

#include "settings/value_text.h"

using namespace kovalt::settings;
using namespace std::string_literals;

TEST(ValueText, StoredTextGivesAUsableNumberOrNothing) {
    const std::wstring longest(64, L'1');
    const std::pair<std::wstring, double> numbers[] = {
        {L"12", 12},    {L" -3.5 ", -3.5}, {L"+7", 7},
        {L"1e3", 1000}, {L"\t1\t", 1},     {longest, std::stod(std::string(64, '1'))}};
    for (const auto& [text, number] : numbers) EXPECT_EQ(parseNumber(text), number) << text.size();
    for (const std::wstring& junk :
         {longest + L"1", std::wstring(1 << 20, L'7'), L""s, L" "s, L"12abc"s, L"1,5"s, L"1e400"s,
          L"nan"s, L"inf"s, L"\x0661"s, L"--1"s, L"0x10"s})
        EXPECT_FALSE(parseNumber(junk)) << junk.size();
    EXPECT_EQ(parseTwips(L"-3.4028234663852886e38"), -FLT_MAX);
    EXPECT_FALSE(parseTwips(L"1e39") || parseTwips(L"-1e39")) << "beyond single precision";
    for (auto [text, tick] :
         {std::pair{L"0", std::optional(0)}, {L"1.0", 1}, {L"2", {}}, {L"0.5", {}}})
        EXPECT_EQ(parseTickState(text), tick) << text;
    for (auto [text, whole] : {std::pair{L" 1 ", std::optional(1)},
                               {L"1440", 1440},
                               {L"0", {}},
                               {L"1441", {}},
                               {L"2.5", {}},
                               {L"", {}}})
        EXPECT_EQ(parseWholeIn(text, 1, 1440), whole) << text;
    for (auto [twips, text] :
         {std::pair{1234.6f, L"1235"}, {-0.4f, L"0"}, {-1e30f, L"-1000000000000000"}})
        EXPECT_EQ(formatTwips(twips), text) << "stored as whole numbers";
}
