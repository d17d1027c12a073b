#include "monitor/push_road.h"

#include <regex>

#include "loopback_server.h"
#include "win_test_support.h"

using namespace kovalt;
using monitor::AlertKind;

struct PushRoadTest : test::Instance {};

TEST_F(PushRoadTest, AStoppedAlertReachesNtfyWithItsHeadersAndARefusalOrAnUnreadableUrlIsNotSent) {
    test::LoopbackServer server([](const std::string& request) {
        return request.starts_with("POST /alerts ")
                   ? test::LoopbackServer::reply(200, "{\"id\":\"x\"}")
                   : test::LoopbackServer::reply(500, "\r\ndown for maintenance\r\n");
    });
    monitor::PushRoad road(context, state);
    EXPECT_TRUE(road.start({AlertKind::Stopped, 0, L"node.exe"})) << "no service, no try";
    state.runnerName = L"Wallet \"node\"";
    int ended = 0;
    road.ended = [&] { ++ended; };
    road.setConfig({monitor::PushService::Ntfy, server.url(L"/alerts"), L"tk_1"});
    ASSERT_FALSE(road.start({AlertKind::Stopped, 0, L"node.exe"}));
    EXPECT_FALSE(road.outcome()) << "on its way";
    ASSERT_TRUE(test::waitUntil([&] { return ended == 1; }));
    EXPECT_TRUE(road.outcome().value_or(monitor::TryOutcome{}).sent);

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(computer, &size);
    const std::regex sent(
        "POST /alerts HTTP/1.1\r\n[\\s\\S]*\r\nTitle: KOV-ALT - node\\.exe - STOPPED\r\n"
        "Priority: high\r\nAuthorization: Bearer tk_1\r\n([\\s\\S]*\r\n)?\r\n"
        "KOV-ALT - node\\.exe - STOPPED\nWallet \"node\" on " +
        test::narrow(computer) + " at 20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    EXPECT_TRUE(std::regex_match(server.requests().at(0), sent)) << server.requests().at(0);

    road.setConfig({monitor::PushService::Ntfy, server.url(L"/down")});
    ASSERT_FALSE(road.start({AlertKind::Running, 0, L"node.exe"}));
    ASSERT_TRUE(test::waitUntil([&] { return ended == 2; }));
    const monitor::TryOutcome refused = road.outcome().value_or(monitor::TryOutcome{true});
    EXPECT_FALSE(refused.sent || refused.slow);
    EXPECT_EQ(refused.why, L"HTTP 500: down for maintenance");

    // A URL kept for another Windows user: every alert says so, none goes to an empty URL.
    seed({{L"PUSH_SERVICE_COMBOBOX", L"ntfy"},
          {L"PUSH_URL_TEXTBOX", L"DPAPI:AQAAANCMnd8BFdERjHoAwE"}});
    road.reload();
    EXPECT_NE(
        road.start({AlertKind::Stopped, 0, L"node.exe"}).value_or(L"").find(L"could not be read"),
        std::wstring::npos);
}
