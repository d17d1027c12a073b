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
    EXPECT_EQ(light(), L"OFF") << "nothing checked before a tick";
    w.PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(light(), L"NO CHECK");
    EXPECT_NE(lightTip().find(L"CHECK FAILED: the process list could not be read (WMI: "),
              std::wstring::npos);
    w.PROCESS_RUNNING_TIMER_Timer();  // no BATS folder: the script cannot start
    EXPECT_EQ(light(), L"STOPPED !");
    EXPECT_TRUE(w.processStoppedTimer().enabled() && !w.processRunningTimer().enabled());
    EXPECT_EQ(started, std::vector{script(L"STOPPED")});
    EXPECT_NE(lightTip().find(L"\r\nSTOPPED alert NOT SENT "), std::wstring::npos);
    EXPECT_NE(lightTip().find(L"could not start " + script(L"STOPPED")), std::wstring::npos);
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
    HWND w = openMain().hwnd();  // its run light has its tooltip, as after a check
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
    HWND above = ::GetWindow(other, GW_HWNDPREV);
    while (above && !::IsWindowVisible(above)) above = ::GetWindow(above, GW_HWNDPREV);
    EXPECT_EQ(above, w) << "the strip lies right above it";
}

TEST_F(MainWindowTest, WithRestartOnAStopIsSeenAtOnceAndTheProgramBroughtBack) {
    platform::StartedProgram first;
    const std::wstring path = runSleeperCopy(L"restarted", L"60", first);
    ASSERT_FALSE(path.empty());
    const std::wstring name = path.substr(programFolder.size() + 1);
    const std::wstring command = L"\"" + path + L"\" 20";  // ends by itself after the test
    seed({{L"PROCESS_NAME_TEXTBOX", name},
          {L"ENABLED_TICKBOX", L"1"},
          {L"RESTART_TICKBOX", L"1"},
          {L"RESTART_COMMAND_TEXTBOX", command},
          {L"RESTART_FOLDER_TEXTBOX", programFolder}});
    auto& w = openMain();
    ASSERT_TRUE(test::waitUntil([&] { return light() == L"RUNNING"; }));
    // From here on no check comes by the clock: only the process's own end can show the stop.
    w.processRunningTimer().setInterval(0);
    ::TerminateProcess(first.process.get(), 1);
    ASSERT_TRUE(test::waitUntil([&] { return started.size() == 2; }));
    EXPECT_EQ(started, (std::vector{script(L"STOPPED"), command})) << "the alert, then the start";
    EXPECT_TRUE(test::waitForCount(name, 1)) << "a new copy runs";
    EXPECT_NE(lightTip().find(L"\r\nrestarted at "), std::wstring::npos);
    EXPECT_NE(lightTip().find(L" (1 of 5)"), std::wstring::npos);
}

TEST_F(MainWindowTest, StartedAtLogonTheFirstCheckWaitsForTheProgramStartingWithWindows) {
    seed({{L"ENABLED_TICKBOX", L"1"},
          {L"STARTUP_DELAY_SECONDS_TEXTBOX", L"3"},
          {L"OWED_ALERT", L"STOPPED 0 SENT"}});
    makeMain().setStartedAtLogon(true);
    ASSERT_TRUE(main->open().ok());
    const std::wstring before = light();
    platform::StartedProgram later;  // comes up a second after the strip, as after a logon
    test::waitUntil([] { return false; }, 1000ms);
    const std::wstring path = runSleeperCopy(L"later", L"20", later);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(light(), before) << "no check yet";
    main->watchName(path.substr(programFolder.size() + 1));
    ASSERT_TRUE(test::waitUntil([&] { return light() == L"RUNNING"; }, 6s));
    EXPECT_TRUE(started.empty()) << "no alert: the program came up within the delay";
    EXPECT_NE(lightTip().find(L"could not be read and was dropped"), std::wstring::npos);
    ::TerminateProcess(later.process.get(), 0);
}
