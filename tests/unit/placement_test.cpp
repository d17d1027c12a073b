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
    EXPECT_EQ(read(L"0", L"0", L"0.5", L"0"), (std::vector<float>{0, 0, 0.5f, 645}));
    MemoryStore saved;
    savePosition(InstanceSettings(saved, L"WATCH1"), keys::kAboutPlacement, 1500, -45);
    EXPECT_EQ(saved.read(L"KOVALT", L"WATCH1", L"ABOUT_Left").text, L"1500");
    EXPECT_EQ(saved.read(L"KOVALT", L"WATCH1", L"ABOUT_Top").text, L"-45");
    EXPECT_EQ(saved.size(), 2u);
}
