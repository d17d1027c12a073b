#include <gtest/gtest.h>

#include "settings/placement.h"

using namespace kovalt::settings;

TEST(Placement, ReadsStoredTwipsAndFallsBackPerKey) {
    MemoryStore store;
    InstanceSettings s(store, L"WATCH1");
    TwipRect r = readPlacement(s, keys::kMainPlacement);
    EXPECT_EQ(r.left, 1000);
    EXPECT_EQ(r.top, 1000);
    EXPECT_EQ(r.width, 2640);
    EXPECT_EQ(r.height, 645);

    store.save(L"KOVALT", L"WATCH1", L"MAIN_Left", L"-300");
    store.save(L"KOVALT", L"WATCH1", L"MAIN_Top", L"abc");
    store.save(L"KOVALT", L"WATCH1", L"MAIN_Width", L"0");
    store.save(L"KOVALT", L"WATCH1", L"MAIN_Height", L"900.5");
    r = readPlacement(s, keys::kMainPlacement);
    EXPECT_EQ(r.left, -300) << "negative positions are legal (a monitor left of the main one)";
    EXPECT_EQ(r.top, 1000) << "junk reads as the default";
    EXPECT_EQ(r.width, 2640) << "a zero size reads as the default";
    EXPECT_EQ(r.height, 900.5f);
}

TEST(Placement, SavesOnlyLeftAndTop) {
    MemoryStore store;
    InstanceSettings s(store, L"WATCH1");
    savePosition(s, keys::kAboutPlacement, 1500, -45);
    EXPECT_EQ(store.read(L"KOVALT", L"WATCH1", L"ABOUT_Left"), L"1500");
    EXPECT_EQ(store.read(L"KOVALT", L"WATCH1", L"ABOUT_Top"), L"-45");
    EXPECT_EQ(store.size(), 2u);
}

TEST(Placement, TwipsAndPixelsConvertAtTheWindowsDpi) {
    EXPECT_EQ(twipsToPixels(1000, 96), 67);   // 66.67
    EXPECT_EQ(twipsToPixels(2640, 96), 176);
    EXPECT_EQ(twipsToPixels(2640, 144), 264);
    EXPECT_EQ(pixelsToTwips(176, 96), 2640);
    // A whole number of twips survives the round trip through pixels at any common DPI.
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u})
        for (long px : {0L, 1L, 67L, 999L, -13L})
            EXPECT_EQ(twipsToPixels(pixelsToTwips(px, dpi), dpi), px) << dpi << " " << px;
    EXPECT_EQ(twipsToPixels(3.0e38f, 96), 100000000) << "absurd values stay in range";
    PixelRect r = toPixels({1000, 1000, 2640, 645}, 96);
    EXPECT_EQ(r, (PixelRect{67, 67, 67 + 176, 67 + 43}));
}

TEST(Placement, AWindowOffEveryMonitorIsBroughtBack) {
    const std::vector<MonitorArea> screens = {
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}},
    };
    // Partly visible: left alone.
    PixelRect partly{1900, 500, 2100, 540};
    EXPECT_EQ(bringIntoView(partly, screens), partly);
    PixelRect edge{-150, 10, 10, 50};
    EXPECT_EQ(bringIntoView(edge, screens), edge);
    // Far to the right: onto the second monitor, whole.
    EXPECT_EQ(bringIntoView({5000, 300, 5176, 343}, screens), (PixelRect{3024, 300, 3200, 343}));
    // Below the first monitor: above its task bar.
    EXPECT_EQ(bringIntoView({100, 2000, 276, 2043}, screens), (PixelRect{100, 997, 276, 1040}));
    // Far up and left: the top-left corner of the first monitor.
    EXPECT_EQ(bringIntoView({-9000, -9000, -8824, -8957}, screens), (PixelRect{0, 0, 176, 43}));
    // Larger than the work area: its top-left corner shows.
    EXPECT_EQ(bringIntoView({0, 5000, 4000, 9000}, screens), (PixelRect{0, 0, 4000, 4000}));
    // No monitor known: nothing to decide.
    EXPECT_EQ(bringIntoView({5000, 5000, 5100, 5100}, {}), (PixelRect{5000, 5000, 5100, 5100}));
}
