#include <gtest/gtest.h>

#include "platform/ui/twips.h"

using namespace kovalt::ui;

TEST(Twips, WholePixelsSurviveTheTripThroughTwipsAtAnyDpi) {
    for (unsigned dpi : {96u, 120u, 144u, 192u, 960u})
        for (long px : {0L, 1L, 67L, 999L, -13L, 30000L})
            EXPECT_EQ(twipsToPixels(pixelsToTwips(px, dpi), dpi), px) << dpi << " " << px;
    EXPECT_EQ(twipsToPixels(1000, 96), 67) << "rounded, not cut";
    // Absurd stored values stay far inside a Windows coordinate, at any DPI.
    EXPECT_EQ(twipsToPixels(3.0e38f, 960), 100000000);
    EXPECT_EQ(twipsToPixels(-3.0e38f, 960), -100000000);
}

TEST(Twips, AWindowOffEveryMonitorIsBroughtBackWhole) {
    const std::vector<MonitorArea> screens = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                              {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}}};
    const std::pair<PixelRect, PixelRect> rows[] = {
        {{1900, 500, 2100, 540}, {1900, 500, 2100, 540}},  // across two monitors: left alone
        {{-150, 10, 1, 50}, {-150, 10, 1, 50}},            // one pixel showing: left alone
        {{-150, 10, 0, 50}, {0, 10, 150, 50}},             // touching an edge is not showing
        {{3200, 10, 3300, 50}, {3100, 10, 3200, 50}},
        {{100, -40, 200, 0}, {100, 0, 200, 40}},
        {{100, 1080, 200, 1100}, {100, 1020, 200, 1040}},  // below: above the task bar
        {{5000, 300, 5176, 343}, {3024, 300, 3200, 343}},  // far right: onto the nearest
        {{0, 5000, 4000, 9000}, {0, 0, 4000, 4000}},       // larger than any: its corner shows
    };
    for (const auto& [window, expected] : rows) EXPECT_EQ(bringIntoView(window, screens), expected);
    EXPECT_EQ(bringIntoView({5000, 5000, 5100, 5100}, {}), (PixelRect{5000, 5000, 5100, 5100}));
}
