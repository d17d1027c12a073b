#include "platform/http_client.h"

#include "loopback_server.h"
#include "win_test_support.h"

using namespace kovalt;
using platform::HttpCall;
using test::LoopbackServer;

namespace {
// A call as the window thread makes it; `ended` counts the callbacks, which must come on it.
std::unique_ptr<HttpCall> call(platform::HttpRequest request, int limit, int& ended) {
    const DWORD thread = ::GetCurrentThreadId();
    return std::make_unique<HttpCall>(std::move(request), limit, [&ended, thread] {
        ended += ::GetCurrentThreadId() == thread ? 1 : 100;
    });
}
}  // namespace

TEST(HttpCall, APostArrivesExactlyAndEachAnswerIsRead) {
    const std::string big(10000, 'b');
    LoopbackServer server([&](const std::string& request) {
        const std::string path = request.substr(5, request.find(' ', 5) - 5);
        if (path == "/s429") return LoopbackServer::reply(429, "", "Retry-After: 7\r\n");
        if (path == "/s500") return LoopbackServer::reply(500, "boom\r\n");
        return LoopbackServer::reply(200, path == "/big" ? big : "fine");
    });
    const std::string body =
        "KOV-ALT - n\xc3\xb6"
        "de.exe\n{\"q\": \"\\\\\"}\r\n";
    struct Row {
        const wchar_t* path;
        int status;
        std::string body;
        std::wstring retryAfter;
    };
    for (const Row& r : {Row{L"/t?x=1&y=%20", 200, "fine", L""},
                         {L"/s429", 429, "", L"7"},
                         {L"/s500", 500, "boom\r\n", L""},
                         {L"/big", 200, big.substr(0, platform::kHttpBodyKept), L""}}) {
        int ended = 0;
        auto sent = call({L"POST", server.url(r.path), {}, body}, 10, ended);
        ASSERT_TRUE(test::waitUntil([&] { return ended > 0; }));
        EXPECT_EQ(ended, 1) << "once, on the thread that made the call";
        const platform::HttpAnswer a = sent->answer();
        EXPECT_EQ(std::tuple(a.status, a.body, a.retryAfter, a.error),
                  std::tuple(r.status, r.body, r.retryAfter, std::wstring()));
    }
    const std::string got = server.requests()[0];
    EXPECT_TRUE(got.starts_with("POST /t?x=1&y=%20 HTTP/1.1\r\n")) << got;
    EXPECT_TRUE(got.ends_with("\r\n\r\n" + body)) << got;
}

TEST(HttpCall, ASilentServerEndsItAtItsLimitAndACancelAtOnceWithoutACallback) {
    LoopbackServer silent([](const std::string&) { return std::string(); });
    // The window thread answers its messages all the while: a thread timer counts them.
    static int ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    int ended = 0;
    const auto start = std::chrono::steady_clock::now();
    auto waiting = call({L"POST", silent.url(L"/"), {}, "x"}, 2, ended);
    ASSERT_TRUE(test::waitUntil([&] { return ended > 0; }, 10s));
    const auto took = std::chrono::steady_clock::now() - start;
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(took >= 1900ms && took < 4s) << (took / 1ms);
    EXPECT_GE(ticks, 20) << "messages were answered while it waited";
    EXPECT_EQ(waiting->answer().error, L"no answer within 2 s");

    for (bool destroy : {false, true}) {
        ended = 0;
        waiting = call({L"POST", silent.url(L"/"), {}, "x"}, 20, ended);
        ASSERT_TRUE(test::waitUntil([&] { return silent.requests().size() == 2u + destroy; }));
        const auto cancelled = std::chrono::steady_clock::now();
        destroy ? waiting.reset() : waiting->cancel();
        EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 200ms);
        ui::pumpMessages(500ms);
        EXPECT_EQ(ended, 0) << destroy;
    }
}
