#include <gtest/gtest.h>

#include "about/colour_cycle.h"

using namespace kovalt::about;

TEST(ColourCycle, OneTimerRunsAtATimeAndEachTickShowsItsColour) {
    std::vector<std::pair<int, bool>> switches;
    ColourCycle cycle([&](int timer, bool on) { switches.emplace_back(timer, on); });
    const auto running = [&] {
        std::vector<int> on;
        for (int t = 1; t <= kCycleTimers; ++t)
            if (cycle.enabled(t)) on.push_back(t);
        return on;
    };
    EXPECT_TRUE(running().empty()) << "nothing runs before the window starts it";
    cycle.restart();
    for (int t = 1; t <= 2 * kCycleTimers; ++t) {
        const int timer = (t - 1) % kCycleTimers + 1;
        EXPECT_EQ(cycle.tick(timer), kCycleColours[timer - 1]);
        EXPECT_EQ(running(), std::vector<int>{timer % kCycleTimers + 1});
    }
    // The next timer goes on before this one goes off, so the chain never breaks.
    EXPECT_EQ(std::vector(switches.begin(), switches.begin() + 3),
              (std::vector<std::pair<int, bool>>{{1, 1}, {2, 1}, {1, 0}}));
    for (int ran : {1, kCycleTimers - 1}) {  // then timer 2, or the last, runs
        for (int t = 1; t <= ran; ++t) cycle.tick(t);
        cycle.restart();  // timer 1 alone, never two at once
        EXPECT_EQ(running(), std::vector<int>{1}) << ran;
    }
    for (int t = 1; t < kCycleTimers; ++t) cycle.tick(t);  // stopped while the last runs
    cycle.stop();
    EXPECT_TRUE(running().empty());
    switches.clear();
    cycle.restart();
    EXPECT_EQ(switches, (std::vector<std::pair<int, bool>>{{1, 1}}))
        << "stopped ones are left alone";
}
