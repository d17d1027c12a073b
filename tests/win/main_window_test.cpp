#include "monitor/main_window.h"
#include "win_test_support.h"

using namespace kovalt;
using MainWindowTest = test::Instance;

TEST_F(MainWindowTest, TheLightShowsACheckOrAnAlertThatFailed) {
    int checks = 0;
    probe = [&](const std::wstring&) {
        using platform::ProbeOutcome;
        return ++checks == 1 ? platform::ProbeResult{ProbeOutcome::Failed, 0, {0x80041006, L"WMI"}}
                             : platform::ProbeResult{ProbeOutcome::NotFound, 0, {}};
    };
    seed({{L"PROCESS_NAME_TEXTBOX", L"absent.exe"}, {L"ENABLED_TICKBOX", L"1"}});
    auto& w = openMain();
    const auto caption = [&] { return ui::Window::controlText(w.runLight()); };
    const auto tooltip = [&] {
        return ui::WindowTestAccess::tooltip(w, monitor::MainWindow::RUN_LIGHT_LABEL);
    };
    EXPECT_EQ(caption(), L"OFF") << "nothing checked before a tick";
    w.PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(caption(), L"NO CHECK");
    EXPECT_NE(tooltip().find(L"CHECK FAILED: the process list could not be read (WMI: "),
              std::wstring::npos);
    w.PROCESS_RUNNING_TIMER_Timer();  // no BATS folder: the script cannot start
    EXPECT_EQ(caption(), L"STOPPED !");
    EXPECT_TRUE(w.processStoppedTimer().enabled() && !w.processRunningTimer().enabled());
    EXPECT_EQ(started, std::vector{script(L"STOPPED")});
    EXPECT_NE(tooltip().find(L"\r\nSTOPPED alert NOT SENT "), std::wstring::npos);
    EXPECT_NE(tooltip().find(L"could not start " + script(L"STOPPED")), std::wstring::npos);
}

TEST_F(MainWindowTest, ATickNeverRunsInsideAnotherSoAChangeIsAlertedOnce) {
    // The first check waits as a busy WMI does, dispatching messages meanwhile, so that the
    // real timer's next tick arrives inside it.
    int checks = 0;
    probe = [&](const std::wstring&) {
        if (checks++ == 0) ui::pumpMessages(1500ms);
        return platform::ProbeResult{platform::ProbeOutcome::NotFound, 0, {}};
    };
    seed({{L"PROCESS_NAME_TEXTBOX", L"absent.exe"}, {L"ENABLED_TICKBOX", L"1"}});
    openMain();
    ASSERT_TRUE(test::waitUntil([&] { return checks >= 3; }));
    EXPECT_EQ(started, std::vector{script(L"STOPPED")});
}

TEST_F(MainWindowTest, LoggingOffKeepsThePosition) {
    HWND w = openMain().hwnd();
    ::SetWindowPos(w, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SendMessageW(w, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(store.saved.empty()) << "the session goes on";
    ::SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(store.saved, (std::vector<std::wstring>{L"MAIN_Left", L"MAIN_Top"}));
    EXPECT_EQ(stored(L"MAIN_Top"), L"2250");
}

TEST_F(MainWindowTest, StayingOnTopNeverTakesTheFocus) {
    HWND w = openMain().hwnd();
    const platform::UniqueWindow window(::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other",
                                                          WS_POPUP | WS_VISIBLE, 300, 300, 200, 100,
                                                          nullptr, nullptr, nullptr, nullptr));
    HWND other = window.get();
    ::SetForegroundWindow(other);
    main->AlwaysOnTopTimer_Timer();
    ui::pumpMessages(100ms);
    EXPECT_TRUE(::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(::GetWindowLongW(other, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetForegroundWindow(), other);
    EXPECT_EQ(::GetWindow(other, GW_HWNDPREV), w) << "the strip lies right above it";
}
