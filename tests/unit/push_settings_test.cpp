#include <gtest/gtest.h>

#include "monitor/push_settings.h"

using namespace kovalt;
using namespace kovalt::monitor;

TEST(PushSettings, OkIsRefusedWithTheFirstProblemInPlainWords) {
    using S = PushService;
    const std::wstring good = L"https://ntfy.example/alerts",
                       longest = good + L"/" + std::wstring(1972, L'a');
    struct Row {
        PushConfig push;
        std::wstring heartbeat, minutes;
        const wchar_t* problem;  // a part of it; null: none
    };
    const Row rows[] = {
        {{S::None, L"not a url", L"a b"}, L"", L"", nullptr},
        {{S::Ntfy, good}, L"HTTP://hc.example/x", L"1440", nullptr},
        {{S::Webhook, longest}, L"", L"", nullptr},
        {{S::Telegram, L"", L"123:abc", L"-100"}, L"", L" 5 ", nullptr},
        {{S::Webhook, longest + L"a"}, L"", L"", L"longer than 2,000"},
        {{S::Discord}, L"", L"", L"Discord needs the URL"},
        {{S::Slack, L"https:///hook"}, L"", L"", L"The push URL must start with http"},
        {{S::Telegram, L"api.example", L"123:abc", L"-100"}, L"", L"", L"The push URL must"},
        {{S::Ntfy, L"https://ntfy.example/my topic"}, L"", L"", L"holds a blank"},
        {{S::Ntfy, good, L"tk_x\r\nX-Evil: 1"}, L"", L"", L"The token holds a blank"},
        {{S::Telegram, L"", L"123:abc"}, L"", L"", L"Telegram needs the chat"},
        {{S::None}, L"hc.example/ping", L"", L"The heartbeat URL must start"},
        {{S::None}, L"", L"0", L"from 1 to 1440"},
    };
    for (const Row& r : rows) {
        const auto problem = pushSettingsProblem(r.push, r.heartbeat, r.minutes);
        if (!r.problem)
            EXPECT_FALSE(problem) << problem->c_str();
        else
            EXPECT_NE(problem.value_or(L"").find(r.problem), std::wstring::npos)
                << problem.value_or(L"(none)") << " / " << r.problem;
    }
}

TEST(PushSettings, HeartbeatPeriodIsTheHiddenSecondsElseTheMinutesElseFive) {
    for (auto [seconds, minutes, period] : {std::tuple{L"", L"", 300},
                                            {L"", L"12", 720},
                                            {L"", L"0", 300},
                                            {L"", L"x", 300},
                                            {L"7", L"12", 7},
                                            {L"junk", L"12", 300}}) {
        settings::MemoryStore store;
        const settings::InstanceSettings section(store, L"W");
        if (*seconds) section.save(settings::keys::HEARTBEAT_SECONDS, seconds);
        if (*minutes) section.save(settings::keys::HEARTBEAT_MINUTES_TEXTBOX, minutes);
        EXPECT_EQ(heartbeatPeriod(section), period) << seconds << " " << minutes;
    }
}
