#include <gtest/gtest.h>

#include <algorithm>

#include "about/about_window.h"
#include "about/donations_window.h"
#include "about/maker_values.h"
#include "win_test_support.h"

using namespace kovalt;
using namespace std::chrono_literals;
using about::AboutWindow;
using about::DonationsWindow;

namespace {
constexpr COLORREF kBlack = RGB(0, 0, 0), kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0),
                   kCyan = RGB(0, 255, 255), kMagenta = RGB(255, 0, 255),
                   kYellow = RGB(255, 255, 0);
const std::vector<COLORREF> kCycle = {kGreen, kRed, kCyan, kMagenta, kYellow};

RECT outerRect(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r;
}

// A control's rectangle in its parent's client area, in pixels.
RECT placeOf(HWND control) {
    RECT r = outerRect(control);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void doubleClick(HWND control) {
    ::SendMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// The numbers of the enabled timers among five.
template <typename Timers>
std::vector<int> enabledTimers(Timers timer) {
    std::vector<int> on;
    for (int n = 1; n <= 5; ++n)
        if (timer(n).enabled()) on.push_back(n);
    return on;
}

// A window of either kind closed by its OK button or its title bar: what it stored.
template <typename W>
void expectOnlyThePositionStored(test::InstanceFixture& f, W& w, bool byOk, int okButton,
                                 const std::wstring& prefix) {
    const std::wstring left = prefix + L"Left", top = prefix + L"Top";
    f.recording.saved.clear();
    if (byOk)
        ::SendMessageW(w.control(okButton), BM_CLICK, 0, 0);
    else
        ::SendMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(w.isOpen());
    // OK stores the position and closes; the close stores it again.
    using Keys = std::vector<std::wstring>;
    const Keys expected = byOk ? Keys{left, top, left, top} : Keys{left, top};
    EXPECT_EQ(f.recording.saved, expected);
    EXPECT_EQ(f.stored(left.c_str()), L"1000");
    EXPECT_EQ(f.stored(top.c_str()), L"1000");
}

class AboutWindowTest : public testing::Test, public test::InstanceFixture {
protected:
    std::unique_ptr<monitor::MainWindow> main = openMain();

    std::unique_ptr<AboutWindow> openAbout() {
        auto w = std::make_unique<AboutWindow>(*main, main->hwnd());
        EXPECT_TRUE(w->open());
        ::ShowWindow(w->hwnd(), SW_SHOW);
        return w;
    }
    static std::vector<int> enabled(AboutWindow& w) {
        return enabledTimers([&](int n) -> ui::Timer& { return w.donationButtonTimer(n); });
    }
};

class DonationsWindowTest : public testing::Test, public test::InstanceFixture {
protected:
    std::unique_ptr<monitor::MainWindow> main = openMain();

    std::unique_ptr<DonationsWindow> openDonations() {
        auto w = std::make_unique<DonationsWindow>(*main, main->hwnd());
        EXPECT_TRUE(w->open());
        ::ShowWindow(w->hwnd(), SW_SHOW);
        return w;
    }
    static std::vector<int> enabled(DonationsWindow& w) {
        return enabledTimers([&](int n) -> ui::Timer& { return w.donationTextTimer(n); });
    }
    static COLORREF background(DonationsWindow& w, int id) {
        return w.colorsOf(w.control(id))->background;
    }
};

constexpr int kAddressBoxes[] = {
    DonationsWindow::BTC_DONATION_ADDRESS_TEXTBOX, DonationsWindow::NMC_DONATION_ADDRESS_TEXTBOX,
    DonationsWindow::LTC_DONATION_ADDRESS_TEXTBOX, DonationsWindow::DASH_DONATION_ADDRESS_TEXTBOX,
    DonationsWindow::VTC_DONATION_ADDRESS_TEXTBOX};
constexpr int kNameLabels[] = {DonationsWindow::BTC_NAME_LABEL, DonationsWindow::NMC_NAME_LABEL,
                               DonationsWindow::LTC_NAME_LABEL, DonationsWindow::DASH_NAME_LABEL,
                               DonationsWindow::VTC_NAME_LABEL};
}  // namespace

// ---- About window ---------------------------------------------------------------------------

TEST_F(AboutWindowTest, FirstOpeningUsesTheDefaultPlaceAndClosingStoresOnlyLeftAndTop) {
    for (bool byOk : {true, false}) {
        SCOPED_TRACE(byOk ? "OK" : "title bar");
        auto w = openAbout();
        EXPECT_EQ(w->text(), L"KOV-ALT - ABOUT");
        const RECT r = outerRect(w->hwnd());
        EXPECT_EQ(r.left, 67);
        EXPECT_EQ(r.top, 67);
        EXPECT_EQ(r.right - r.left, 535);
        EXPECT_EQ(r.bottom - r.top, 166);
        expectOnlyThePositionStored(*this, *w, byOk, AboutWindow::OK_BUTTON, L"ABOUT_");
        EXPECT_FALSE(stored(L"ABOUT_Width"));
        EXPECT_FALSE(stored(L"ABOUT_Height"));
    }
}

TEST_F(AboutWindowTest, TheFrameAroundTheDonationsButtonCyclesThroughFiveColours) {
    auto w = openAbout();
    // The frame is the box behind the button, showing 120 twips (8 pixels) on every side.
    const RECT button = placeOf(w->control(AboutWindow::DONATIONS_BUTTON));
    const RECT back = placeOf(w->control(AboutWindow::DONATIONS_BACK_TEXTBOX));
    EXPECT_EQ(button.left - back.left, 8);
    EXPECT_EQ(button.top - back.top, 8);
    EXPECT_EQ(back.right - button.right, 8);
    EXPECT_EQ(back.bottom - button.bottom, 8);
    EXPECT_EQ(::GetWindow(w->control(AboutWindow::DONATIONS_BUTTON), GW_HWNDNEXT),
              w->control(AboutWindow::DONATIONS_BACK_TEXTBOX))
        << "the box lies right behind the button";

    EXPECT_EQ(w->frameColour(), ::GetSysColor(COLOR_WINDOW)) << "before the first tick";
    EXPECT_EQ(enabled(*w), std::vector<int>{1});
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(w->donationButtonTimer(n).interval(), 200u) << n;

    std::vector<COLORREF> shown;
    for (int n = 1; n <= 5; ++n) {
        w->donationButtonTimer(n).fire();
        shown.push_back(w->frameColour());
        EXPECT_EQ(enabled(*w), std::vector<int>{n % 5 + 1}) << "after timer " << n;
    }
    EXPECT_EQ(shown, kCycle);
}

TEST_F(AboutWindowTest, DoubleClickingTheCreditShowsTheMakersAddress) {
    const int labels[] = {AboutWindow::TLV_TITLE_1, AboutWindow::TLV_TITLE_2,
                          AboutWindow::TLV_TITLE_3, AboutWindow::FREEWARE_TEXTBOX,
                          AboutWindow::VERSION_TEXTBOX, AboutWindow::CREATOR_TEXTBOX};
    const std::wstring before[] = {L"TALVERO",     L"KOV-ALT", L"KVA", L"!!! FREEWARE !!!",
                                   L"Version 1.0", L"Created By Brevlin"};
    const std::wstring contact(about::maker::kContactEmail);
    auto w = openAbout();
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(w->controlText(labels[i]), before[i]);
        EXPECT_EQ(w->colorsOf(w->control(labels[i]))->text, kGreen);
        EXPECT_EQ(w->colorsOf(w->control(labels[i]))->background, kBlack);
    }
    doubleClick(w->control(AboutWindow::CREATOR_TEXTBOX));
    EXPECT_EQ(w->controlText(AboutWindow::CREATOR_TEXTBOX), contact);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(w->controlText(labels[i]), before[i]);
    doubleClick(w->control(AboutWindow::CREATOR_TEXTBOX));
    EXPECT_EQ(w->controlText(AboutWindow::CREATOR_TEXTBOX), contact);
    w->close();
    w = openAbout();
    EXPECT_EQ(w->controlText(AboutWindow::CREATOR_TEXTBOX), L"Created By Brevlin");
}

TEST_F(AboutWindowTest, TheDonationsWindowOpensModallyWhileTheFrameKeepsCycling) {
    auto about = openAbout();
    bool sawWindow = false, aboutDisabled = false, ownedByAbout = false;
    COLORREF messageColour = CLR_INVALID;
    std::vector<COLORREF> frameChanges;
    // Watches from the About window's side and closes the donations window once the frame has
    // changed colour five times and the appeal has flashed.
    ui::Timer watcher(*about, [&] {
        DonationsWindow* open = about->openDonationsWindow();
        if (!open) return;
        sawWindow = true;
        aboutDisabled = !::IsWindowEnabled(about->hwnd());
        ownedByAbout = ::GetWindow(open->hwnd(), GW_OWNER) == about->hwnd();
        if (frameChanges.empty() || frameChanges.back() != about->frameColour())
            frameChanges.push_back(about->frameColour());
        messageColour = open->messageTextColour();
        if (frameChanges.size() > 5 && messageColour != kBlack) open->close();
    });
    watcher.setInterval(50);
    watcher.setEnabled(true);
    ui::Timer guard(*about, [&] {
        if (DonationsWindow* open = about->openDonationsWindow()) open->close();
    });
    guard.setInterval(15000);
    guard.setEnabled(true);
    recording.saved.clear();
    ::SendMessageW(about->control(AboutWindow::DONATIONS_BUTTON), BM_CLICK, 0, 0);  // modal

    EXPECT_TRUE(sawWindow);
    EXPECT_TRUE(aboutDisabled);
    EXPECT_TRUE(ownedByAbout);
    EXPECT_GT(frameChanges.size(), 5u) << "the About cycle ran on under the donations window";
    EXPECT_NE(std::find(kCycle.begin(), kCycle.end(), messageColour), kCycle.end())
        << "and the donations window flashed meanwhile";
    EXPECT_EQ(about->openDonationsWindow(), nullptr);
    EXPECT_TRUE(about->isOpen());
    EXPECT_TRUE(::IsWindowEnabled(about->hwnd()));
    EXPECT_EQ(recording.saved, (std::vector<std::wstring>{L"DONATIONS_WINDOW-Left",
                                                          L"DONATIONS_WINDOW-Top"}));
}

// ---- Donations window -----------------------------------------------------------------------

TEST_F(DonationsWindowTest, FirstOpeningUsesTheDefaultPlaceAndClosingStoresOnlyLeftAndTop) {
    for (bool byOk : {true, false}) {
        SCOPED_TRACE(byOk ? "OK" : "title bar");
        auto w = openDonations();
        EXPECT_EQ(w->text(), L"!!! DONATIONS ALWAYS APPRECIATED - Brevlin - Talvero !!! :)");
        const RECT r = outerRect(w->hwnd());
        EXPECT_EQ(r.left, 67);
        EXPECT_EQ(r.top, 67);
        EXPECT_EQ(r.right - r.left, 592);
        EXPECT_EQ(r.bottom - r.top, 422);
        expectOnlyThePositionStored(*this, *w, byOk, DonationsWindow::OK_BUTTON,
                                    L"DONATIONS_WINDOW-");
        EXPECT_FALSE(stored(L"DONATIONS_WINDOW-Width"));
        EXPECT_FALSE(stored(L"DONATIONS_WINDOW-Height"));
    }
}

TEST_F(DonationsWindowTest, DoubleClickingTheAppealStopsAndRestartsTheFlashing) {
    auto w = openDonations();
    HWND message = w->control(DonationsWindow::THANKS_DONATIONS_MESSAGE_TEXTBOX);
    EXPECT_EQ(w->messageTextColour(), kBlack) << "black until the first tick";
    EXPECT_EQ(enabled(*w), std::vector<int>{1});
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(w->donationTextTimer(n).interval(), 200u) << n;

    // Within the first 200 ms: black already, so the double-click only re-enables timer 1.
    doubleClick(message);
    EXPECT_EQ(enabled(*w), std::vector<int>{1});
    w->donationTextTimer(1).fire();
    EXPECT_EQ(w->messageTextColour(), kGreen);

    // Stopped while timer 4 is the one enabled: all five off, black text.
    w->donationTextTimer(2).fire();
    w->donationTextTimer(3).fire();
    ASSERT_EQ(enabled(*w), std::vector<int>{4});
    EXPECT_EQ(w->messageTextColour(), kCyan);
    doubleClick(message);
    EXPECT_EQ(w->messageTextColour(), kBlack);
    EXPECT_TRUE(enabled(*w).empty());
    test::pumpFor(500ms);
    EXPECT_EQ(w->messageTextColour(), kBlack) << "stays stopped";

    // Restarted: from timer 1, green first, then the whole cycle on real timers.
    doubleClick(message);
    EXPECT_EQ(enabled(*w), std::vector<int>{1});
    EXPECT_EQ(w->messageTextColour(), kBlack) << "until the next tick";
    std::vector<COLORREF> changes;
    test::waitUntil(
        [&] {
            if (w->messageTextColour() != (changes.empty() ? kBlack : changes.back()))
                changes.push_back(w->messageTextColour());
            return changes.size() >= 5;
        },
        5s);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front(), kGreen);
    EXPECT_EQ(changes.size(), 5u);
    EXPECT_EQ(w->colorsOf(message)->background, RGB(128, 255, 128)) << "the background stays";
}

TEST_F(DonationsWindowTest, ADoubleClickedAddressStaysMarkedUntilItLosesTheFocus) {
    auto w = openDonations();
    HWND btc = w->control(DonationsWindow::BTC_DONATION_ADDRESS_TEXTBOX);
    HWND nmc = w->control(DonationsWindow::NMC_DONATION_ADDRESS_TEXTBOX);
    const COLORREF pink = RGB(255, 128, 255), yellow = RGB(255, 255, 192);
    ::SetForegroundWindow(w->hwnd());
    ::SetFocus(btc);
    doubleClick(btc);
    EXPECT_EQ(background(*w, DonationsWindow::BTC_DONATION_ADDRESS_TEXTBOX), pink);
    EXPECT_EQ(w->colorsOf(btc)->text, kBlack);

    ::SetFocus(nmc);
    doubleClick(nmc);
    for (int id : kAddressBoxes)
        EXPECT_EQ(background(*w, id), id == DonationsWindow::NMC_DONATION_ADDRESS_TEXTBOX ? pink
                                                                                         : yellow)
            << id;
    // The edit still did its own part of the double-click: the word under the mouse selected.
    DWORD start = 0, end = 0;
    ::SendMessageW(nmc, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_LT(start, end);

    ::SetFocus(w->control(DonationsWindow::OK_BUTTON));
    EXPECT_EQ(background(*w, DonationsWindow::NMC_DONATION_ADDRESS_TEXTBOX), yellow);
}

TEST_F(DonationsWindowTest, DoubleClickingTheCreditShowsTheMakersAddress) {
    auto w = openDonations();
    HWND creator = w->control(DonationsWindow::CREATOR_TEXTBOX);
    EXPECT_EQ(w->controlText(DonationsWindow::CREATOR_TEXTBOX), L"Created By Brevlin");
    EXPECT_EQ(w->colorsOf(creator)->text, kGreen);
    EXPECT_EQ(w->colorsOf(creator)->background, kBlack);
    doubleClick(creator);
    EXPECT_EQ(w->controlText(DonationsWindow::CREATOR_TEXTBOX), about::maker::kContactEmail);
    EXPECT_EQ(w->controlText(DonationsWindow::THANKS_TALVERO_SOFTWARE_TEXTBOX),
              L"Thanks for using Talvero Software !!! :)");
    EXPECT_EQ(w->messageTextColour(), kBlack) << "the appeal's own double-click did not run";
    EXPECT_EQ(enabled(*w), std::vector<int>{1});
}
