// Bad input and faults a user's PC can throw at the program: none may crash it, hang it, lose
// what was stored or let an alert go silently.
#include <gtest/gtest.h>

#include "email/email_main_window.h"
#include "instance/settings_window.h"
#include "platform/process_query.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;
using monitor::ProbeOutcome;
using test::narrow;

namespace {
class Reliability : public testing::Test, public test::InstanceFixture {
protected:
    std::wstring tooltipOf(monitor::MainWindow& w) { return w.runLightTooltip(); }
    std::wstring caption(monitor::MainWindow& w) { return ui::Window::controlText(w.runLight()); }
    static void click(ui::Window& w, int id) { ::SendMessageW(w.control(id), BM_CLICK, 0, 0); }
};
}  // namespace

TEST_F(Reliability, OddWatchedNamesAreCheckedWithoutCrashOrFailure) {
    writeScripts();
    const std::wstring names[] = {L"", std::wstring(300, L'w'), L"bob's miner.exe", L"a\"b.exe",
                                  L"C:\\Tools\\x.exe", L"\x00e9t\x00e9 \x4e2d.exe", L"trailing.exe ",
                                  std::wstring(1 << 20, L'j')};
    auto main = openMain();
    for (const std::wstring& name : names) {
        SCOPED_TRACE(name.size());
        main->setProcessName(name);
        main->stopMonitoring();
        main->startMonitoring();
        started.clear();
        main->PROCESS_RUNNING_TIMER_Timer();
        EXPECT_EQ(caption(*main), L"STOPPED");
        EXPECT_EQ(tooltipOf(*main).find(L"CHECK FAILED"), std::wstring::npos)
            << narrow(tooltipOf(*main).substr(0, 300));
        EXPECT_EQ(started.size(), 1u);
    }
}

TEST_F(Reliability, StoredJunkReadsAsDefaultsAndStaysStoredUntilSaved) {
    const std::wstring megabyte(1 << 20, L'7');
    const std::wstring junk[] = {L"abc", L"1e400", megabyte, L"2", L"-1", L"1.5.1"};
    const wchar_t* flags[] = {L"ENABLED_TICKBOX", L"AlwaysOnTop_TICKBOX", L"TLS_NO_TICKBOX",
                              L"TLS_YES_TICKBOX", L"TLS_AUTO_TICKBOX"};
    for (const std::wstring& value : junk) {
        SCOPED_TRACE(narrow(value.substr(0, 10)));
        for (const wchar_t* key : {L"MAIN_Left", L"MAIN_Top", L"MAIN_Width", L"MAIN_Height",
                                   L"MAIN_SETTINGS_Left", L"EMAIL-MAIN-SETTINGS-Width"})
            seed(key, value);
        for (const wchar_t* key : flags) seed(key, value);
        auto main = openMain();
        // "2" is a number (a tiny window, which Windows widens); the rest read as the default.
        const bool number = value == L"2" || value == L"-1";
        RECT r;
        ::GetWindowRect(main->hwnd(), &r);
        if (value != L"2") EXPECT_EQ(r.right - r.left, 176) << "the default width";
        EXPECT_GT(r.right - r.left, 0);
        EXPECT_FALSE(main->processRunningTimer().enabled());
        // Outside its own window the flag is on only for exactly 1; junk reads as default 1.
        EXPECT_EQ(main->alwaysOnTopTimer().enabled(), !number);
        SettingsWindow settings(*main);
        ASSERT_TRUE(settings.open());
        EXPECT_EQ(settings.tickValue(SettingsWindow::ENABLED_TICKBOX), 0);
        EmailMainWindow email(settings);
        ASSERT_TRUE(email.open());
        EXPECT_EQ(email.tls().state(), email::TlsState::NoChosen);
        EXPECT_EQ(stored(L"MAIN_Height"), value) << "nothing is rewritten by a load";
        EXPECT_EQ(stored(L"TLS_YES_TICKBOX"), value);
    }
    // A number stored as REG_DWORD reads as absent.
    DWORD one = 1;
    const std::wstring section = registry.root() + L"\\KOVALT\\WATCH1";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"ENABLED_TICKBOX", REG_DWORD, &one,
                      sizeof(one));
    auto main = openMain();
    EXPECT_FALSE(main->processRunningTimer().enabled());
}

TEST_F(Reliability, AFailingCheckSendsNothingUntilItRecovers) {
    writeScripts();
    int failures = 3;
    probe = [&](const std::wstring& name) {
        if (failures > 0) {
            --failures;
            return monitor::ProbeResult{ProbeOutcome::Failed, 0, L"WMI query: busy (0x8004106C)"};
        }
        return platform::checkProcessRunning(name);
    };
    seed(L"PROCESS_NAME_TEXTBOX", L"absent-" + test::uniqueSuffix() + L".exe");
    seed(L"ENABLED_TICKBOX", L"1");
    auto main = openMain();
    for (int i = 0; i < 3; ++i) main->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(caption(*main), L"OFF");
    EXPECT_NE(tooltipOf(*main).find(L"CHECK FAILED: WMI query: busy"), std::wstring::npos);
    main->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(caption(*main), L"STOPPED");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], program / L"BATS\\WATCH1-PROCESS-STOPPED-EMAIL.bat");
}

TEST_F(Reliability, ScriptsDeletedWhileMonitoringAreReportedAndWorkAgainOnceBack) {
    writeScripts();
    const std::wstring name = L"kv-rel-" + test::uniqueSuffix() + L".exe";
    auto watched = std::make_unique<test::WatchedProcess>(program.path(), name);
    ASSERT_TRUE(test::waitUntil([&] { return platform::checkProcessRunning(name).count == 1; }));
    seed(L"PROCESS_NAME_TEXTBOX", name);
    seed(L"ENABLED_TICKBOX", L"1");
    auto main = openMain();
    main->PROCESS_RUNNING_TIMER_Timer();
    ASSERT_EQ(caption(*main), L"RUNNING");

    for (const wchar_t* kind : {L"RUNNING", L"STOPPED"})
        ::DeleteFileW((program / (std::wstring(L"BATS\\WATCH1-PROCESS-") + kind + L"-EMAIL.bat")).c_str());
    ::RemoveDirectoryW((program / L"BATS").c_str());
    watched->kill();
    ASSERT_TRUE(test::waitUntil([&] { return platform::checkProcessRunning(name).count == 0; }));
    main->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(caption(*main), L"STOPPED");
    EXPECT_NE(tooltipOf(*main).find(L"ALERT NOT SENT"), std::wstring::npos);

    writeScripts();
    watched = std::make_unique<test::WatchedProcess>(program.path(), name);
    ASSERT_TRUE(test::waitUntil([&] { return platform::checkProcessRunning(name).count == 1; }));
    main->PROCESS_STOPPED_TIMER_Timer();
    EXPECT_EQ(tooltipOf(*main), L"PROCESS - " + name + L" - RUNNING");
    ASSERT_TRUE(test::waitUntil([&] { return marker(L"RUNNING") == "RUNNING\r\n"; }));
}

TEST_F(Reliability, AScriptInUseOrReadOnlyAtOkIsReplacedWholeOrReported) {
    test::makeFolder(program / L"BATS");
    auto main = openMain();
    SettingsWindow settings(*main);
    ASSERT_TRUE(settings.open());
    const std::wstring running = program / L"BATS\\WATCH1-PROCESS-RUNNING-EMAIL.bat";
    test::writeFile(running, "old\r\n");
    // Either the whole new line is in place, or the window names the script it could not
    // replace; never half a file, never a silent failure.
    auto expectWholeOrReported = [&](EmailMainWindow& email) {
        if (email.isOpen()) {
            EXPECT_NE(email.status().find(running), std::wstring::npos) << narrow(email.status());
            EXPECT_NE(settings.updateLight(), RGB(0, 255, 0));
        } else {
            EXPECT_EQ(test::readFile(running), narrow(main->runningCommand()) + "\r\n");
        }
    };
    {
        // Held open without sharing, as an editor or a scanner might (Windows then refuses
        // the replacement; Wine allows it).
        platform::UniqueHandle held(::CreateFileW(running.c_str(), GENERIC_READ, 0, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
        EmailMainWindow email(settings);
        ASSERT_TRUE(email.open());
        click(email, EmailMainWindow::OK_BUTTON);
        expectWholeOrReported(email);
    }
    ::SetFileAttributesW(running.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        EmailMainWindow email(settings);
        ASSERT_TRUE(email.open());
        click(email, EmailMainWindow::OK_BUTTON);
        expectWholeOrReported(email);
    }
    ::SetFileAttributesW(running.c_str(), FILE_ATTRIBUTE_NORMAL);
    EmailMainWindow email(settings);
    ASSERT_TRUE(email.open());
    click(email, EmailMainWindow::OK_BUTTON);
    EXPECT_FALSE(email.isOpen()) << "free again, OK goes through: " << narrow(email.status());
    EXPECT_EQ(test::readFile(running), narrow(main->runningCommand()) + "\r\n");
}

TEST_F(Reliability, SettingsThatCannotBeStoredAreShownAndNothingIsLost) {
    seed(L"RUNNER_NAME_TEXTBOX", L"kept");
    auto main = openMain();
    recording.denyWrites = true;
    SettingsWindow settings(*main);
    ASSERT_TRUE(settings.open());
    EXPECT_NE(settings.status().find(L"Could not store Always On Top"), std::wstring::npos);
    settings.setControlText(SettingsWindow::RUNNER_NAME_TEXTBOX, L"changed");
    settings.close();
    main->close();  // its position cannot be stored either: no crash, nothing else touched
    EXPECT_EQ(stored(L"RUNNER_NAME_TEXTBOX"), L"kept");
    EXPECT_FALSE(stored(L"MAIN_Left"));
}

TEST_F(Reliability, OddProgramFoldersAreHandledOrNamed) {
    // Letters outside ASCII: the monitor starts scripts from there.
    test::ScratchFolder accented(L"caf\x00e9 watch");
    programFolder = accented.path();
    writeScripts();
    auto main = openMain();
    main->setProcessName(L"absent-" + test::uniqueSuffix() + L".exe");
    main->startMonitoring();
    main->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_EQ(tooltipOf(*main).find(L"ALERT NOT SENT"), std::wstring::npos);
    EXPECT_TRUE(test::waitUntil(
        [&] { return test::readFile(accented / L"STOPPED.txt") == "STOPPED\r\n"; }));

    // A path longer than Windows' usual limit: the folders cannot be made, and the window says so.
    programFolder = program.path() + L"\\" + std::wstring(280, L'p');
    SettingsWindow settings(*main);
    ASSERT_TRUE(settings.open());
    click(settings, SettingsWindow::CREATE_FOLDERS_BUTTON);
    EXPECT_NE(settings.status().find(L"Could not make the folder"), std::wstring::npos);
    main->stopMonitoring();
    main->startMonitoring();
    main->PROCESS_RUNNING_TIMER_Timer();
    EXPECT_NE(tooltipOf(*main).find(L"ALERT NOT SENT"), std::wstring::npos);
}
