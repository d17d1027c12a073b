#include <gtest/gtest.h>

#include "settings/placement.h"

using namespace kovalt::settings;

TEST(Placement, ReadsEachKeyOrItsDefaultAndSavesOnlyLeftAndTop) {
    MemoryStore store;
    const InstanceSettings s(store, L"WATCH1");
    const auto read = [&](const wchar_t* left, const wchar_t* top, const wchar_t* w,
                          const wchar_t* h) {
        for (auto [key, text] : {std::pair{&keys::kMainPlacement.left, left},
                                 {&keys::kMainPlacement.top, top},
                                 {&keys::kMainPlacement.width, w},
                                 {&keys::kMainPlacement.height, h}})
            s.save(*key, text);
        const TwipRect r = readPlacement(s, keys::kMainPlacement);
        return std::vector{r.left, r.top, r.width, r.height};
    };
    // A monitor left of the main one gives negative places; a size must be positive.
    EXPECT_EQ(read(L"-300", L"abc", L"0", L"0.5"), (std::vector<float>{-300, 1000, 2640, 0.5f}));
    EXPECT_EQ(read(L"0", L"0", L"0.5", L"-1"), (std::vector<float>{0, 0, 0.5f, 645}));
    MemoryStore saved;
    savePosition(InstanceSettings(saved, L"WATCH1"), keys::kAboutPlacement, 1500, -45);
    EXPECT_EQ(saved.read(L"KOVALT", L"WATCH1", L"ABOUT_Left"), L"1500");
    EXPECT_EQ(saved.read(L"KOVALT", L"WATCH1", L"ABOUT_Top"), L"-45");
    EXPECT_EQ(saved.size(), 2u);
}

TEST(Placement, WholePixelsSurviveTheTripThroughTwipsAtAnyDpi) {
    for (unsigned dpi : {96u, 120u, 144u, 192u, 960u})
        for (long px : {0L, 1L, 67L, 999L, -13L, 30000L})
            EXPECT_EQ(twipsToPixels(pixelsToTwips(px, dpi), dpi), px) << dpi << " " << px;
    EXPECT_EQ(twipsToPixels(1000, 96), 67) << "rounded, not cut";
    // Absurd stored values stay far inside a Windows coordinate, at any DPI.
    EXPECT_EQ(twipsToPixels(3.0e38f, 960), 100000000);
    EXPECT_EQ(twipsToPixels(-3.0e38f, 960), -100000000);
    EXPECT_EQ(toPixels({1440, 720, 2880, 1440}, 96), (PixelRect{96, 48, 96 + 192, 48 + 96}));
}

TEST(Placement, AWindowOffEveryMonitorIsBroughtBackWhole) {
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
