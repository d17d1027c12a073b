#include <gtest/gtest.h>

#include "platform/ui/window.h"
#include "win_test_support.h"

using namespace kovalt;
using namespace std::chrono_literals;

namespace {
class PlainWindow : public ui::Window {
public:
    bool open(HWND owner = nullptr) {
        return create(L"KOVALT_TEST_WINDOW", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0,
                      L"test", owner);
    }
    using Window::addLabel;
    int closes = 0;

protected:
    void onClose() override { ++closes; }
};

RECT clientRectOf(HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

TEST(WindowLayer, TimersTickOnlyWhileEnabledWithAnInterval) {
    PlainWindow w;
    ASSERT_TRUE(w.open());
    int ticks = 0;
    ui::Timer timer(w, [&] { ++ticks; });
    timer.fire();
    EXPECT_EQ(ticks, 0) << "off at creation";
    timer.setEnabled(true);
    timer.fire();
    EXPECT_EQ(ticks, 0) << "an interval of 0 keeps it silent";
    timer.setInterval(30);
    timer.fire();
    EXPECT_EQ(ticks, 1);
    ASSERT_TRUE(test::waitUntil([&] { return ticks >= 4; }, 5s)) << "real WM_TIMER ticks";
    // Switched off right after a tick was queued: the queued tick must not run.
    ::Sleep(100);
    timer.setEnabled(false);
    const int before = ticks;
    test::pumpFor(200ms);
    EXPECT_EQ(ticks, before);
}

TEST(WindowLayer, EnablingATimerAgainRestartsItsCountdown) {
    PlainWindow w;
    ASSERT_TRUE(w.open());
    std::vector<std::chrono::steady_clock::time_point> ticks;
    ui::Timer timer(w, [&] { ticks.push_back(std::chrono::steady_clock::now()); });
    timer.setInterval(600);
    timer.setEnabled(true);
    test::pumpFor(350ms);
    const size_t before = ticks.size();
    const auto restarted = std::chrono::steady_clock::now();
    timer.setEnabled(true);
    ASSERT_TRUE(test::waitUntil([&] { return ticks.size() > before; }, 5s));
    // A timer can be late, never early: a tick sooner than its interval after the restart
    // could only come from the old countdown.
    EXPECT_GE(ticks[before] - restarted, 550ms);
}

TEST(WindowLayer, AModalWindowLetsItsOwnersTimersTick) {
    PlainWindow owner, dialog;
    ASSERT_TRUE(owner.open());
    ::ShowWindow(owner.hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(dialog.open(owner.hwnd()));
    int ownerTicks = 0;
    bool ownerDisabledMeanwhile = false;
    ui::Timer ownerTimer(owner, [&] { ++ownerTicks; });
    ownerTimer.setInterval(20);
    ownerTimer.setEnabled(true);
    ui::Timer closer(dialog, [&] {
        ownerDisabledMeanwhile = !::IsWindowEnabled(owner.hwnd());
        if (ownerTicks >= 5) dialog.close();
    });
    closer.setInterval(20);
    closer.setEnabled(true);
    ui::showModal(dialog, owner.hwnd());
    EXPECT_GE(ownerTicks, 5);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_EQ(dialog.hwnd(), nullptr) << "destroyed when the modal show ends";
}

TEST(WindowLayer, ControlsAndWindowsArePlacedInTwips) {
    PlainWindow w;
    ASSERT_TRUE(w.open());
    ASSERT_EQ(w.dpi(), 96u);
    HWND label = w.addLabel(1, L"OFF", {1440, 0, 975, 255});
    RECT r = clientRectOf(label);
    EXPECT_EQ(r.left, 96);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 65);
    EXPECT_EQ(r.bottom - r.top, 17);

    w.applyPlacement({1000, 1000, 2640, 645});
    RECT outer;
    ::GetWindowRect(w.hwnd(), &outer);
    EXPECT_EQ(outer.left, 67);
    EXPECT_EQ(outer.top, 67);
    EXPECT_EQ(outer.right - outer.left, 176);
    EXPECT_EQ(outer.bottom - outer.top, 43);
    // Not moved: the same twips come back, though 1000 twips is no whole number of pixels.
    settings::TwipRect back = w.placementTwips();
    EXPECT_EQ(back.left, 1000);
    EXPECT_EQ(back.top, 1000);
    // Moved: the new place, converted.
    ::SetWindowPos(w.hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    back = w.placementTwips();
    EXPECT_EQ(back.left, 3000);
    EXPECT_EQ(back.top, 2250);
}

TEST(WindowLayer, AWindowStoredOffEveryMonitorOpensInView) {
    PlainWindow w;
    ASSERT_TRUE(w.open());
    for (float distant : {-2000000.0f, 900000.0f}) {
        w.applyPlacement({distant, distant, 2640, 645});
        RECT outer;
        ::GetWindowRect(w.hwnd(), &outer);
        EXPECT_NE(::MonitorFromRect(&outer, MONITOR_DEFAULTTONULL), nullptr) << distant;
        EXPECT_EQ(outer.right - outer.left, 176) << "the size is kept";
        // What it reports now is where it shows.
        EXPECT_EQ(w.placementTwips().left, settings::pixelsToTwips(outer.left, 96));
    }
}
