#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>

#include "monitor/heartbeat.h"

using namespace kovalt::monitor;
using namespace std::string_literals;

TEST(Heartbeat, FailurePingsGoToTheFailPathOrAPushMonitorsQuery) {
    const std::wstring hc = L"https://hc.example/p/abc", up = L"https://up.example/api/push/T0k";
    const std::array<std::wstring, 4> rows[] = {
        // configured, success, failure while stopped, failure while stuck
        {hc, hc, hc + L"/fail", hc + L"/fail"},
        {hc + L"/?rid=7", hc + L"/?rid=7", hc + L"/fail?rid=7", hc + L"/fail?rid=7"},
        {up, up + L"?status=up&msg=OK", up + L"?status=down&msg=STOPPED",
         up + L"?status=down&msg=STUCK"},
        {up + L"?status=up&msg=OK&ping=", up + L"?status=up&msg=OK",
         up + L"?status=down&msg=STOPPED", up + L"?status=down&msg=STUCK"},
    };
    for (const auto& [url, success, stopped, stuck] : rows) {
        EXPECT_EQ(successUrl(url), success);
        EXPECT_EQ(failureUrl(url, Light::Stopped), stopped);
        EXPECT_EQ(failureUrl(url, Light::NoCheck),
                  stopped.ends_with(L"STOPPED") ? up + L"?status=down&msg=NO%20CHECK" : stopped);
        EXPECT_EQ(failureUrl(url, Light::Stuck), stuck);
    }
}

TEST(Heartbeat, PingsWhatTheLightCallsForOneAtATimeAndRetriesQuickly) {
    // Ticks every second until `end`, the light changing as `lights` says ("30S": Stopped from
    // 30 s on); each ping ends `takes` s after it started and fails when it started by
    // `failsUntil`. What was pinged: "<t>S" success, "<t>F" failure, for a period of 60 s.
    struct Row {
        const char* lights;
        Seconds end;
        const char* pinged;
        Seconds givenUpAt = -1, takes = 1, failsUntil = -1;
    };
    const Row rows[] = {
        {"0R", 130, "0S 60S 120S"},
        {"0O 10R 30O 50R", 111, "10S 50S 110S"},  // off pings nothing; on again at once
        {"0R 30S 200R", 230, "0S 30F 200S"},      // a stop told once
        {"0R 20K 40S", 200, "0S 20F 40F"},        // stuck, then stopped
        {"0R 10S", 100, "0S 10F 40F", 40},        // restarts given up
        {"0R 10N", 200, "0S 70F"},                // no check, once it lasted a period
        {"0R 2S", 20, "0S 5F", -1, 5},  // one at a time: the stop waits for the ping on its way
        {"0R", 71, "0S 2S 5S 10S 70S", -1, 1, 69},  // again after 1, 2, 4 s; then when due
        {"0S", 60, "0F 2F 5F 10F", -1, 1, 99},
        {"0R 1S", 60, "0S 1F", -1, 1, 0},  // a change drops the retry
    };
    for (const Row& r : rows) {
        std::map<Seconds, Light> lights;
        std::istringstream changes(r.lights);
        for (std::string change; changes >> change;)
            lights[std::stoll(change)] = Light("ORSNK"s.find(change.back()));
        Heartbeat beat(L"u", 60);
        std::string pinged;
        std::optional<Seconds> endsAt;
        for (Seconds t = 0; t < r.end; ++t) {
            if (endsAt == t) beat.ended(t, t - r.takes > r.failsUntil, L"refused");
            if (endsAt <= t) endsAt.reset();
            const auto light = std::prev(lights.upper_bound(t))->second;
            if (const auto url = beat.tick(t, light, r.givenUpAt >= 0 && t >= r.givenUpAt)) {
                EXPECT_FALSE(endsAt) << r.lights << ": two at once at " << t;
                pinged += (pinged.empty() ? "" : " ") + std::to_string(t) +
                          (*url == L"u"        ? "S"
                           : *url == L"u/fail" ? "F"
                                               : "?");
                endsAt = t + r.takes;
            }
        }
        EXPECT_EQ(pinged, r.pinged) << r.lights;
    }
    Heartbeat beat(L"u", 60);  // the tooltip tells how the last ping ended
    beat.tick(0, Light::Running, false);
    beat.ended(1, false, L"no answer within 30 s");
    EXPECT_EQ(beat.line([](Seconds t) { return L"t" + std::to_wstring(t); }),
              L"heartbeat failed t1: no answer within 30 s");
}
