#include <gtest/gtest.h>

#include "monitor/main_window.h"
#include "platform/process_query.h"
#include "win_test_support.h"

using namespace kovalt;
using namespace std::chrono_literals;
using monitor::MainWindow;

namespace {
using test::narrow;

class MainWindowTest : public testing::Test, public test::InstanceFixture {
protected:
    std::unique_ptr<MainWindow> open() { return openMain(); }
};

RECT outerRect(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r;
}

void expectLook(MainWindow& w, const wchar_t* caption, COLORREF text, COLORREF background,
                const std::wstring& tooltip) {
    EXPECT_EQ(ui::Window::controlText(w.runLight()), caption);
    const ui::ControlColors* colors = w.colorsOf(w.runLight());
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->text, text);
    EXPECT_EQ(colors->background, background);
    EXPECT_EQ(w.runLightTooltip(), tooltip);
}

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kGreen = RGB(0, 255, 0),
                   kBlack = 0;
}  // namespace

TEST_F(MainWindowTest, FirstRunOpensAtTheDefaultsAndStoresOnlyItsPositionOnClose) {
    auto w = open();
    EXPECT_EQ(w->text(), L"KVA - ");
    RECT r = outerRect(w->hwnd());
    EXPECT_EQ(r.left, 67);
    EXPECT_EQ(r.top, 67);
    EXPECT_EQ(r.right - r.left, 176);
    EXPECT_EQ(r.bottom - r.top, 43);
    expectLook(*w, L"OFF", kRed, kWhite, L"");
    EXPECT_TRUE(w->alwaysOnTopTimer().enabled());
    EXPECT_EQ(w->alwaysOnTopTimer().interval(), 1000u);
    EXPECT_FALSE(w->processRunningTimer().enabled());
    EXPECT_FALSE(w->processStoppedTimer().enabled());
    EXPECT_EQ(w->processRunningTimer().interval(), 1000u);
    EXPECT_EQ(w->processStoppedTimer().interval(), 1000u);
    EXPECT_FALSE(stored(L"MAIN_Left")) << "load stores nothing";

    w->close();
    EXPECT_EQ(stored(L"MAIN_Left"), L"1000");
    EXPECT_EQ(stored(L"MAIN_Top"), L"1000");
    EXPECT_FALSE(stored(L"MAIN_Width"));
    EXPECT_FALSE(stored(L"MAIN_Height"));
}

TEST_F(MainWindowTest, LoadsCaptionPlacementFieldsAndTimersFromTheStore) {
    seed(L"MAIN_Left", L"3000");
    seed(L"MAIN_Top", L"1500");
    seed(L"MAIN_Width", L"3000");
    seed(L"MAIN_Height", L"900");
    seed(L"RUNNER_NAME_TEXTBOX", L"My wallet");
    seed(L"PROCESS_NAME_TEXTBOX", L"wallet.exe");
    seed(L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX", L"call running");
    seed(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX", L"call stopped");
    seed(L"AlwaysOnTop_TICKBOX", L"0");
    seed(L"ENABLED_TICKBOX", L"1");
    {
        auto w = open();
        EXPECT_EQ(w->text(), L"KVA - My wallet");
        RECT r = outerRect(w->hwnd());
        EXPECT_EQ(r.left, 200);
        EXPECT_EQ(r.top, 100);
        EXPECT_EQ(r.right - r.left, 200);
        EXPECT_EQ(r.bottom - r.top, 60);
        EXPECT_EQ(w->processName(), L"wallet.exe");
        EXPECT_EQ(w->runnerName(), L"My wallet");
        EXPECT_EQ(w->runningCommand(), L"call running");
        EXPECT_EQ(w->stoppedCommand(), L"call stopped");
        EXPECT_FALSE(w->alwaysOnTopTimer().enabled());
        EXPECT_TRUE(w->processRunningTimer().enabled());
        EXPECT_FALSE(w->processStoppedTimer().enabled());
        expectLook(*w, L"OFF", kRed, kWhite, L"") ;
    }
    // Only exactly 1 is on; junk reads as the key's default.
    seed(L"AlwaysOnTop_TICKBOX", L"abc");
    seed(L"ENABLED_TICKBOX", L"2");
    seed(L"MAIN_Left", L"1e400");
    auto w = open();
    EXPECT_TRUE(w->alwaysOnTopTimer().enabled());
    EXPECT_FALSE(w->processRunningTimer().enabled());
    EXPECT_EQ(outerRect(w->hwnd()).left, 67);
    EXPECT_EQ(stored(L"MAIN_Left"), L"1e400") << "what is stored stays until the next save";
}

TEST_F(MainWindowTest, TicksShowTheLooksAndStartEachAlertOnce) {
    writeScripts();
    const std::wstring name = L"kv-main-" + test::uniqueSuffix() + L".exe";
    auto watched = std::make_unique<test::WatchedProcess>(program.path(), name);
    ASSERT_TRUE(test::waitUntil([&] {
        return platform::checkProcessRunning(name).outcome == monitor::ProbeOutcome::Found;
    }));
    seed(L"PROCESS_NAME_TEXTBOX", name);
    seed(L"ENABLED_TICKBOX", L"1");
    auto w = open();

    w->PROCESS_RUNNING_TIMER_Timer();
    expectLook(*w, L"RUNNING", kBlack, kGreen, L"PROCESS - " + name + L" - RUNNING");
    EXPECT_TRUE(started.empty());

    watched->kill();
    ASSERT_TRUE(test::waitUntil([&] {
        return platform::checkProcessRunning(name).outcome == monitor::ProbeOutcome::NotFound;
    }));
    w->PROCESS_RUNNING_TIMER_Timer();
    expectLook(*w, L"STOPPED", kBlack, kRed, L"PROCESS - " + name + L" - STOPPED");
    EXPECT_FALSE(w->processRunningTimer().enabled());
    EXPECT_TRUE(w->processStoppedTimer().enabled());
    w->PROCESS_STOPPED_TIMER_Timer();  // still away: nothing more is sent
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], program / L"BATS\\WATCH1-PROCESS-STOPPED-EMAIL.bat");
    ASSERT_TRUE(test::waitUntil([&] { return marker(L"STOPPED") == "STOPPED\r\n"; }));

    watched = std::make_unique<test::WatchedProcess>(program.path(), name);
    ASSERT_TRUE(test::waitUntil([&] {
        return platform::checkProcessRunning(name).outcome == monitor::ProbeOutcome::Found;
    }));
    w->PROCESS_STOPPED_TIMER_Timer();
    expectLook(*w, L"RUNNING", kBlack, kGreen, L"PROCESS - " + name + L" - RUNNING");
    EXPECT_TRUE(w->processRunningTimer().enabled());
    EXPECT_FALSE(w->processStoppedTimer().enabled());
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1], program / L"BATS\\WATCH1-PROCESS-RUNNING-EMAIL.bat");
    ASSERT_TRUE(test::waitUntil([&] { return marker(L"RUNNING") == "RUNNING\r\n"; }));

    w->stopMonitoring();
    expectLook(*w, L"OFF", kRed, kWhite, L"NOT MONITORING");
    EXPECT_FALSE(w->processRunningTimer().enabled());
    EXPECT_FALSE(w->processStoppedTimer().enabled());
}

TEST_F(MainWindowTest, AnAlertThatCannotStartIsShownWithItsPath) {
    // No BATS folder: the folders were never created.
    seed(L"PROCESS_NAME_TEXTBOX", L"absent-" + test::uniqueSuffix() + L".exe");
    seed(L"ENABLED_TICKBOX", L"1");
    auto w = open();
    w->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(ui::Window::controlText(w->runLight()), L"STOPPED");
    EXPECT_TRUE(w->processStoppedTimer().enabled()) << "the state changes all the same";
    const std::wstring tip = w->runLightTooltip();
    EXPECT_NE(tip.find(L"ALERT NOT SENT"), std::wstring::npos) << narrow(tip);
    EXPECT_NE(tip.find(program / L"BATS\\WATCH1-PROCESS-STOPPED-EMAIL.bat"), std::wstring::npos);
}

TEST_F(MainWindowTest, RealTimersRunTheMonitorAndClosingSavesTheNewPosition) {
    writeScripts();
    seed(L"PROCESS_NAME_TEXTBOX", L"absent-" + test::uniqueSuffix() + L".exe");
    seed(L"ENABLED_TICKBOX", L"1");
    auto w = open();
    ASSERT_TRUE(test::waitUntil([&] { return !marker(L"STOPPED").empty(); }, 20s));
    EXPECT_EQ(ui::Window::controlText(w->runLight()), L"STOPPED");
    test::pumpFor(2500ms);
    EXPECT_EQ(started.size(), 1u) << "later ticks that still miss the process send nothing";

    ::SetWindowPos(w->hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    w->close();
    EXPECT_EQ(stored(L"MAIN_Left"), L"3000");
    EXPECT_EQ(stored(L"MAIN_Top"), L"2250");
    EXPECT_FALSE(stored(L"MAIN_Width"));
}

TEST_F(MainWindowTest, StayingOnTopNeverTakesTheFocus) {
    auto w = open();
    // Another window, itself topmost, has the focus.
    HWND other = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   300, 300, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    ::SetForegroundWindow(other);
    ::SetFocus(other);
    test::pumpFor(100ms);
    ASSERT_EQ(::GetForegroundWindow(), other);

    w->AlwaysOnTopTimer_Timer();
    test::pumpFor(100ms);
    EXPECT_TRUE(::GetWindowLongW(w->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(::GetWindowLongW(other, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetForegroundWindow(), other);
    EXPECT_EQ(::GetFocus(), other);
    // Our strip now lies above the other window.
    bool aboveOther = false;
    for (HWND h = ::GetWindow(other, GW_HWNDPREV); h; h = ::GetWindow(h, GW_HWNDPREV))
        aboveOther = aboveOther || h == w->hwnd();
    EXPECT_TRUE(aboveOther);
    ::DestroyWindow(other);
}
