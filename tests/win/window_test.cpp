#include <stdexcept>

#include "app/resource.h"
#include "platform/ui/window.h"
#include "win_test_support.h"

using namespace kovalt;

namespace {
struct PlainWindow : ui::Window {
    explicit PlainWindow(HWND owner = nullptr) {
        created = create(L"KOVALT_TEST_WINDOW", WS_CAPTION, 0, L"test", owner, IDI_KOVALT);
    }
    using Window::addLabel;
    using Window::addTextBox;
    using Window::showFailure;
    void onCommand(int, int, HWND) override { throw std::runtime_error("a handler failed"); }
    platform::Result created;
};
long widthOf(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r.right - r.left;
}
}  // namespace

TEST(Window, TimersTickOnlyWhileOn) {
    PlainWindow w;
    size_t ticks = 0;
    ui::Timer timer(w, [&] { ++ticks; });
    timer.fire();
    timer.setEnabled(true);
    timer.fire();
    EXPECT_EQ(ticks, 0u) << "off at creation, and silent without an interval";
    timer.setInterval(30);
    ASSERT_TRUE(test::waitUntil([&] { return ticks >= 3; }));
    ::Sleep(100);  // a tick is queued now; switched off, it must not run
    timer.setEnabled(false);
    const size_t before = ticks;
    ui::pumpMessages(200ms);
    EXPECT_EQ(ticks, before);
}

TEST(Window, PlacementAndADpiChange) {
    PlainWindow w;
    w.applyPlacement({1000, 1000, 2640, 645});  // 66.67 pixels: no whole number of them
    EXPECT_EQ(w.placementTwips().left, 1000) << "not moved since: the twips it was given";
    HWND label = w.addLabel(1, L"OFF", {1440, 0, 1440, 255});
    const auto fontHeight = [&] {
        LOGFONTW font = {};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(font),
                     &font);
        return std::labs(font.lfHeight);
    };
    const long width = widthOf(label), height = fontHeight();
    RECT suggested = {0, 0, 400, 300};
    ::SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(widthOf(label), 2 * width);
    EXPECT_NEAR(fontHeight(), 2 * height, 1);
    EXPECT_EQ(widthOf(w.hwnd()), 400) << "the window takes the size Windows suggests";
}

TEST(Window, FailuresAreReportedNotLost) {
    // A window that cannot be created says why; nothing shows, nothing else happens.
    EXPECT_EQ(PlainWindow(reinterpret_cast<HWND>(0x1234)).created.code,
              static_cast<unsigned long>(ERROR_INVALID_WINDOW_HANDLE));
    PlainWindow w;
    // A handler that throws does not take the program down through the system's frames.
    EXPECT_EQ(::SendMessageW(w.hwnd(), WM_COMMAND, 5, 0), 0);
    EXPECT_TRUE(w.isOpen());
    // Without a status line, what failed after a click goes on the clicked control's tooltip.
    HWND label = w.addLabel(2, L"button", {0, 0, 1440, 255});
    w.showFailure(label, L"The settings window could not open: denied");
    EXPECT_EQ(ui::WindowTestAccess::tooltip(w, 2), L"The settings window could not open: denied");
}

TEST(Window, AnEditableBoxIsDrawnOnTheWindowColourAReadOnlyOneOnTheDialogs) {
    PlainWindow w;
    w.applyPlacement({1000, 1000, 4000, 1500});
    HWND boxes[] = {w.addTextBox(3, L"", {120, 120, 2880, 315}),
                    w.addTextBox(4, L"", {120, 600, 2880, 315}, ES_READONLY)};
    ::ShowWindow(w.hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(w.hwnd());
    ui::pumpMessages(100ms);
    COLORREF seen[2];
    for (int i = 0; i < 2; ++i) {
        HDC dc = ::GetDC(boxes[i]);
        seen[i] = ::GetPixel(dc, 20, 5);
        ::ReleaseDC(boxes[i], dc);
    }
    EXPECT_EQ(seen[0], ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(seen[1], ::GetSysColor(COLOR_BTNFACE));
}
