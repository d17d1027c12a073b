#include <gtest/gtest.h>

#include "monitor/push_message.h"
#include "settings/protected_text.h"

using namespace kovalt::monitor;

namespace {
const PushFacts kFacts{AlertKind::Stopped,
                       0,
                       L"WATCH1",
                       L"Wallet node",
                       L"node.exe",
                       L"RIG-07",
                       L"2026-12-08 14:03:22",
                       L"2026-12-08T13:03:22Z"};
const std::string kText =
    "\"KOV-ALT - node.exe - STOPPED\\nWallet node on RIG-07 at 2026-12-08 14:03:22\"";

std::wstring header(const kovalt::platform::HttpRequest& r, const wchar_t* name) {
    for (const auto& [n, v] : r.headers)
        if (n == name) return v;
    return L"-";
}
}  // namespace

TEST(PushMessage, EachServiceGetsTheAlertInItsOwnForm) {
    using S = PushService;
    struct Row {
        PushConfig config;
        std::wstring url;
        std::string body;
    };
    const Row rows[] = {
        {{S::Discord, L"https://d/w"}, L"https://d/w", "{\"content\": " + kText + "}"},
        {{S::Slack, L"https://s/w"}, L"https://s/w", "{\"text\": " + kText + "}"},
        {{S::Telegram, L"", L"12:ab", L"-100"},
         L"https://api.telegram.org/bot12:ab/sendMessage",
         "{\"chat_id\": \"-100\", \"text\": " + kText + "}"},
        {{S::Telegram, L"http://127.0.0.1:8/tg/", L"12:ab", L"@c"},
         L"http://127.0.0.1:8/tg/bot12:ab/sendMessage",
         "{\"chat_id\": \"@c\", \"text\": " + kText + "}"},
        {{S::Webhook, L"https://x/h"},
         L"https://x/h",
         "{\"instance\": \"WATCH1\", \"name\": \"Wallet node\", \"process\": \"node.exe\", "
         "\"state\": \"STOPPED\", \"computer\": \"RIG-07\", \"time\": \"2026-12-08T13:03:22Z\", "
         "\"text\": " +
             kText + "}"},
    };
    for (const Row& r : rows) {
        const auto request = pushRequest(r.config, kFacts);
        EXPECT_EQ(request.method + L" " + request.url, L"POST " + r.url);
        EXPECT_EQ(header(request, L"Content-Type"), L"application/json");
        EXPECT_EQ(request.body, r.body);
    }
    // ntfy: the text itself, the subject as its title, a stop (and its reminders) urgent.
    for (auto [kind, reminder, priority] : {std::tuple{AlertKind::Stopped, 0, L"high"},
                                            {AlertKind::Running, 0, L"default"},
                                            {AlertKind::Stuck, 0, L"high"},
                                            {AlertKind::Stopped, 3, L"high"}}) {
        PushFacts f = kFacts;
        std::tie(f.kind, f.reminder) = std::tie(kind, reminder);
        f.displayName.clear();
        const auto r = pushRequest({S::Ntfy, L"https://n/t", reminder ? L"" : L"tk_1"}, f);
        const std::wstring subject = L"KOV-ALT - node.exe - " + std::wstring(kindWord(kind));
        EXPECT_EQ(r.body, toUtf8(subject) + "\nOn RIG-07 at 2026-12-08 14:03:22");
        EXPECT_EQ(header(r, L"Title"), subject);
        EXPECT_EQ(header(r, L"Priority"), priority);
        EXPECT_EQ(header(r, L"Authorization"), reminder ? L"-" : L"Bearer tk_1");
    }
    for (const wchar_t* other : {L"discord", L"", L"ntfy "}) EXPECT_EQ(serviceOf(other), S::None);
}

TEST(PushMessage, WhatWasTypedArrivesExactlyInJsonAndInTheTitle) {
    const std::pair<std::wstring, std::string> typed[] = {
        {L"say \"hi\" \\o/", R"("say \"hi\" \\o/")"},
        {L"t\tr\r\nb\b\f\x01\x1f\x7f", R"("t\tr\r\nb\b\f\u0001\u001f)"
                                       "\x7f\""},
        {L"K\u00f6ln \u20ac \u6771", "\"K\xc3\xb6ln \xe2\x82\xac \xe6\x9d\xb1\""},
        {{L'a', wchar_t(0xD83D), wchar_t(0xDE00)}, "\"a\xf0\x9f\x98\x80\""},  // a pair joined
        {{wchar_t(0xDE00), L'x', wchar_t(0xD83D)}, "\"\xef\xbf\xbdx\xef\xbf\xbd\""},
    };
    for (const auto& [text, json] : typed) EXPECT_EQ(jsonString(text), json);

    // Encoded words of at most 75 characters, read back as a mail reader joins them.
    const std::wstring long_ = L"\u6771\u4eac " + std::wstring(40, L'\u00e9') + L"\U0001F600";
    for (const std::wstring& name : {long_, std::wstring(L"plain.exe")}) {
        const std::wstring title = headerText(name);
        std::string decoded;
        for (size_t at = 0, end; name != L"plain.exe" && at < title.size(); at = end + 1) {
            end = std::min(title.find(L' ', at), title.size());
            const std::wstring word = title.substr(at, end - at);
            EXPECT_TRUE(word.size() <= 75 && word.starts_with(L"=?UTF-8?B?") &&
                        word.ends_with(L"?="));
            decoded +=
                kovalt::settings::base64Decode(word.substr(10, word.size() - 12)).value_or("?");
        }
        EXPECT_EQ(name == L"plain.exe" ? toUtf8(title) : decoded, toUtf8(name));
    }
    EXPECT_EQ(fromUtf8("K\xc3\xb6ln \xf0\x9f\x98\x80"), L"K\u00f6ln \U0001F600");
    for (const char* junk : {"\xc3", "\xc0", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"})
        EXPECT_EQ(fromUtf8(std::string(junk) + "!"), L"\uFFFD!") << junk;
}

TEST(PushAnswer, TheStatusDecidesSentTriedAgainOrRefused) {
    struct Row {
        kovalt::platform::HttpAnswer answer;
        TryOutcome outcome;
    };
    const Row rows[] = {
        {{204}, {true}},
        {{0, "", L"", L"no answer within 30 s"}, {false, L"no answer within 30 s"}},
        {{429, "slow down", L" 120 "}, {false, L"HTTP 429: slow down", 120}},
        {{429, "", L"Wed, 21 Oct 2026 07:28:00 GMT"}, {false, L"HTTP 429"}},
        {{503, "", L"9999999999999"}, {false, L"HTTP 503", 86400}},
        {{408}, {false, L"HTTP 408"}},
        {{500, "\r\n  <h1>Oops</h1>\t\n more"}, {false, L"HTTP 500: <h1>Oops</h1>"}},
        {{404, "\n \nno topic \xe2\x80\x94 see\r\n", L"5"},
         {false, L"HTTP 404: no topic \u2014 see", 0, true}},
        {{401, std::string(300, 'x')}, {false, L"HTTP 401: " + std::wstring(200, L'x'), 0, true}},
        {{301}, {false, L"HTTP 301", 0, true}},
    };
    for (const Row& r : rows) {
        const TryOutcome o = judgeAnswer(r.answer);
        EXPECT_EQ(std::tie(o.sent, o.why, o.retryAfter, o.slow),
                  std::tie(r.outcome.sent, r.outcome.why, r.outcome.retryAfter, r.outcome.slow))
            << r.answer.status;
    }
}
