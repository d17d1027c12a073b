#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <utility>
#include <vector>

#include "about/colour_cycle.h"
#include "about/maker_values.h"

using namespace kovalt::about;

namespace {
using Switch = std::pair<int, bool>;  // timer, on

// A cycle whose timer switches are recorded in the order they come.
struct RecordedCycle {
    std::vector<Switch> switches;
    ColourCycle cycle{[this](int timer, bool on) { switches.emplace_back(timer, on); }};

    std::vector<int> enabledTimers() const {
        std::vector<int> on;
        for (int t = 1; t <= kCycleTimers; ++t)
            if (cycle.enabled(t)) on.push_back(t);
        return on;
    }
};
}  // namespace

TEST(ColourCycle, FiveTicksShowTheFiveColoursAndHandBackToTimerOne) {
    RecordedCycle r;
    EXPECT_TRUE(r.enabledTimers().empty()) << "nothing runs before the window starts it";
    r.cycle.restart();
    EXPECT_EQ(r.enabledTimers(), std::vector<int>{1});

    std::vector<Colour> shown;
    for (int t = 1; t <= kCycleTimers; ++t) {
        shown.push_back(r.cycle.tick(t));
        // Between ticks exactly one timer runs: the one after the timer that just went off.
        EXPECT_EQ(r.enabledTimers(), std::vector<int>{t % kCycleTimers + 1}) << "after tick " << t;
    }
    EXPECT_EQ(shown, (std::vector<Colour>{0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF}));
    // Each tick enables the next timer first, then disables its own.
    EXPECT_EQ(r.switches, (std::vector<Switch>{{1, true},
                                               {2, true}, {1, false},
                                               {3, true}, {2, false},
                                               {4, true}, {3, false},
                                               {5, true}, {4, false},
                                               {1, true}, {5, false}}));
    EXPECT_EQ(r.cycle.tick(1), 0x00FF00u) << "the second round starts green again";
}

TEST(ColourCycle, StoppingAndRestarting) {
    RecordedCycle r;
    r.cycle.restart();
    for (int t = 1; t <= 3; ++t) r.cycle.tick(t);
    ASSERT_EQ(r.enabledTimers(), std::vector<int>{4});
    r.switches.clear();
    r.cycle.stop();
    EXPECT_TRUE(r.enabledTimers().empty()) << "stopped while timer 4 ran";
    EXPECT_EQ(r.switches, (std::vector<Switch>{{1, false}, {2, false}, {3, false}, {4, false},
                                               {5, false}}));

    r.switches.clear();
    r.cycle.restart();
    EXPECT_EQ(r.enabledTimers(), std::vector<int>{1}) << "not where it stopped";
    EXPECT_EQ(r.switches, (std::vector<Switch>{{1, true}})) << "the stopped timers are left alone";
    EXPECT_EQ(r.cycle.tick(1), 0x00FF00u);

    // Restarting mid-cycle still leaves timer 1 alone running, never two at once.
    r.cycle.tick(2);
    ASSERT_EQ(r.enabledTimers(), std::vector<int>{3});
    r.cycle.restart();
    EXPECT_EQ(r.enabledTimers(), std::vector<int>{1});
    // Restarting before the first tick (timer 1 already on) keeps it the only one.
    r.cycle.restart();
    EXPECT_EQ(r.enabledTimers(), std::vector<int>{1});
}

TEST(MakerValues, EachAddressIsOneWordOfThirtyFourCharacters) {
    for (std::wstring_view address : maker::kAddresses) {
        EXPECT_EQ(address.size(), 34u);
        EXPECT_TRUE(std::none_of(address.begin(), address.end(),
                                 [](wchar_t c) { return std::iswspace(c); }));
    }
    std::vector<std::wstring_view> sorted(maker::kAddresses.begin(), maker::kAddresses.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
        << "five different addresses";
    EXPECT_NE(maker::kContactEmail.find(L'@'), std::wstring_view::npos);
    EXPECT_FALSE(maker::kWebsite.empty());
}
