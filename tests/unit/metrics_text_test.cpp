#include <gtest/gtest.h>

#include "monitor/metrics_text.h"

using namespace kovalt::monitor;

namespace {
// The value of the one series whose name and labels begin so.
std::string valueOf(const std::string& text, const std::string& series) {
    const size_t at = text.find("\n" + series);
    if (at == std::string::npos) return "absent";
    const size_t end = text.find('\n', at + 1);
    const std::string line = text.substr(at + 1, end - at - 1);
    return line.substr(line.rfind(' ') + 1);
}
}  // namespace

TEST(MetricsText, LabelsCarryAnyNameAndEveryStateIsOneHot) {
    EXPECT_EQ(labelValue(L"a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
    EXPECT_EQ(labelValue(L"J\u00fcrgen \U0001F600"), "J\xC3\xBCrgen \xF0\x9F\x98\x80");
    EXPECT_EQ(labelValue(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD") << "a lone surrogate";

    MetricsState s{L"W\"1",
                   L"node.exe",
                   L"Wallet \\ node",
                   L"1.0.0",
                   "running",
                   false,
                   1765200000.5,
                   1765200010,
                   2,
                   {{"email", 3, 1, 0}, {"push", 4, 0, 1}}};
    for (const char* state : {"running", "stopped", "stuck", "no_check", "off"}) {
        s.state = state;
        s.stuckChecks = s.state == "stuck";
        const std::string text = metricsText(s);
        ASSERT_EQ(text.back(), '\n');
        const std::string labels = "{watch=\"W\\\"1\",process=\"node.exe\"";
        EXPECT_EQ(valueOf(text, "kovalt_up" + labels), s.state == "running" ? "1" : "0");
        int ones = 0;
        for (const char* other : {"running", "stopped", "stuck", "no_check", "off"}) {
            const std::string v =
                valueOf(text, "kovalt_state" + labels + ",state=\"" + other + "\"");
            ones += v == "1";
            if (std::string(other) == "stuck" && !s.stuckChecks) EXPECT_EQ(v, "absent");
        }
        EXPECT_EQ(ones, 1) << state;
    }
    const std::string text = metricsText(s);
    EXPECT_NE(
        text.find("kovalt_last_change_timestamp_seconds{watch=\"W\\\"1\",process=\"node.exe\"} "
                  "1765200000.5\n"),
        std::string::npos);
    EXPECT_EQ(valueOf(text,
                      "kovalt_alerts_total{watch=\"W\\\"1\",process=\"node.exe\",road=\"push\","
                      "result=\"sent\""),
              "4");
    EXPECT_NE(text.find("version=\"1.0.0\",name=\"Wallet \\\\ node\"} 1"), std::string::npos);
}
