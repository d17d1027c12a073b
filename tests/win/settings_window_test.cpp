#include <gtest/gtest.h>

#include "instance/settings_window.h"
#include "win_test_support.h"

using namespace kovalt;
using namespace std::chrono_literals;
using instance::SettingsWindow;
using test::narrow;

namespace {
class SettingsWindowTest : public testing::Test, public test::InstanceFixture {
protected:
    std::unique_ptr<monitor::MainWindow> main;

    std::unique_ptr<SettingsWindow> openSettings() {
        if (!main) main = openMain();
        auto w = std::make_unique<SettingsWindow>(*main);
        EXPECT_TRUE(w->open());
        ::ShowWindow(w->hwnd(), SW_SHOW);
        return w;
    }
    static void click(SettingsWindow& w, int id) {
        ::SendMessageW(w.control(id), BM_CLICK, 0, 0);
    }
    static void type(SettingsWindow& w, int id, wchar_t c) {
        ::SendMessageW(w.control(id), WM_CHAR, c, 0);
    }
    static bool readOnly(SettingsWindow& w, int id) {
        return ::GetWindowLongW(w.control(id), GWL_STYLE) & ES_READONLY;
    }
};
}  // namespace

TEST_F(SettingsWindowTest, LoadingActsOnTheStripAsTheUsersClicksWould) {
    struct Case {
        const wchar_t* onTop;
        const wchar_t* enabled;
        const wchar_t* onTopAfter;  // "1.0" rewritten as "1" shows that the click ran
        bool onTopTimer, runningTimer, nameLocked;
    };
    const Case cases[] = {{L"1.0", L"1", L"1", true, true, true},
                          {L"1.0", L"0", L"1", true, false, false},
                          {L"0.0", L"1", L"0.0", false, true, true},
                          {L"0.0", L"0", L"0.0", false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(std::wstring(c.onTop) + L"/" + c.enabled));
        seed(L"AlwaysOnTop_TICKBOX", c.onTop);
        seed(L"ENABLED_TICKBOX", c.enabled);
        seed(L"PROCESS_NAME_TEXTBOX", L"wallet.exe");
        main = openMain();
        main->stopMonitoring();
        main->alwaysOnTopTimer().setEnabled(false);
        main->setProcessName(L"something else.exe");
        auto w = openSettings();
        EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), c.onTopAfter);
        EXPECT_EQ(main->alwaysOnTopTimer().enabled(), c.onTopTimer);
        EXPECT_EQ(main->processRunningTimer().enabled(), c.runningTimer);
        EXPECT_FALSE(main->processStoppedTimer().enabled());
        EXPECT_EQ(readOnly(*w, SettingsWindow::PROCESS_NAME_TEXTBOX), c.nameLocked);
        EXPECT_EQ(main->processName(), L"wallet.exe") << "the loaded name reaches the strip";
        EXPECT_EQ(w->text(), L"KOV-ALT - SETTINGS");
        w.reset();
        main.reset();
    }
}

TEST_F(SettingsWindowTest, UntickingMonitoringStopsTheStripAtOnceAndIsStoredOnClose) {
    seed(L"ENABLED_TICKBOX", L"1");
    auto w = openSettings();
    ASSERT_TRUE(main->processRunningTimer().enabled());
    click(*w, SettingsWindow::ENABLED_TICKBOX);
    EXPECT_FALSE(main->processRunningTimer().enabled());
    EXPECT_FALSE(main->processStoppedTimer().enabled());
    EXPECT_EQ(ui::Window::controlText(main->runLight()), L"OFF");
    EXPECT_EQ(main->runLightTooltip(), L"NOT MONITORING");
    EXPECT_EQ(main->colorsOf(main->runLight())->background, RGB(255, 255, 255));
    EXPECT_EQ(main->colorsOf(main->runLight())->text, RGB(255, 0, 0));
    EXPECT_FALSE(readOnly(*w, SettingsWindow::PROCESS_NAME_TEXTBOX));
    EXPECT_EQ(stored(L"ENABLED_TICKBOX"), L"1") << "not stored before OK or close";
    w->close();
    EXPECT_EQ(stored(L"ENABLED_TICKBOX"), L"0");
}

TEST_F(SettingsWindowTest, AlwaysOnTopIsStoredTheMomentItChanges) {
    auto w = openSettings();
    EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), L"1") << "an empty store ticks the box at load";
    click(*w, SettingsWindow::AlwaysOnTop_TICKBOX);
    EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), L"0");
    EXPECT_FALSE(main->alwaysOnTopTimer().enabled());
    click(*w, SettingsWindow::AlwaysOnTop_TICKBOX);
    EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), L"1");
    EXPECT_TRUE(main->alwaysOnTopTimer().enabled());
    EXPECT_TRUE(w->status().empty());
}

TEST_F(SettingsWindowTest, TheWatchedNameFollowsTypingAndBrowsing) {
    seed(L"PROCESS_NAME_TEXTBOX", L"wallet");
    auto w = openSettings();
    ::SendMessageW(w->control(SettingsWindow::PROCESS_NAME_TEXTBOX), EM_SETSEL, 6, 6);
    for (wchar_t c : std::wstring(L".exe")) type(*w, SettingsWindow::PROCESS_NAME_TEXTBOX, c);
    EXPECT_EQ(w->controlText(SettingsWindow::PROCESS_NAME_TEXTBOX), L"wallet.exe");
    EXPECT_EQ(main->processName(), L"wallet.exe") << "every keystroke reaches the strip";

    click(*w, SettingsWindow::ENABLED_TICKBOX);
    type(*w, SettingsWindow::PROCESS_NAME_TEXTBOX, L'x');
    EXPECT_EQ(w->controlText(SettingsWindow::PROCESS_NAME_TEXTBOX), L"wallet.exe")
        << "typing is refused while monitoring is ticked";

    fileDialogAnswer = std::nullopt;  // cancelled
    click(*w, SettingsWindow::BROWSE_PROCESS_NAME_FILE_BUTTON);
    EXPECT_EQ(w->controlText(SettingsWindow::PROCESS_NAME_TEXTBOX), L"wallet.exe");
    EXPECT_EQ(main->processName(), L"wallet.exe");

    fileDialogAnswer = L"miner.exe";  // the browse button works even while typing is refused
    click(*w, SettingsWindow::BROWSE_PROCESS_NAME_FILE_BUTTON);
    EXPECT_EQ(w->controlText(SettingsWindow::PROCESS_NAME_TEXTBOX), L"miner.exe");
    EXPECT_EQ(main->processName(), L"miner.exe");

    ASSERT_EQ(fileDialogRequests.size(), 2u);
    EXPECT_EQ(fileDialogRequests[0].filter, L"Applications (*.exe)|*.exe|All files (*.*)|*.*");
    EXPECT_EQ(fileDialogRequests[0].defaultExtension, L"exe");
    EXPECT_EQ(fileDialogRequests[0].title, L"Select Process.exe File To Monitor");
}

TEST_F(SettingsWindowTest, TheUpdateLightTurnsRedWhenTheNameBoxIsLeft) {
    auto w = openSettings();
    EXPECT_EQ(w->updateLight(), RGB(255, 255, 128));
    ::SetForegroundWindow(w->hwnd());
    ::SetFocus(w->control(SettingsWindow::PROCESS_NAME_TEXTBOX));
    ::SetFocus(w->control(SettingsWindow::RUNNER_NAME_TEXTBOX));
    EXPECT_EQ(w->updateLight(), RGB(255, 0, 0)) << "even though the text did not change";
    w->setUpdateLight(SettingsWindow::kGreen);
    EXPECT_EQ(w->updateLight(), RGB(0, 255, 0));
    w.reset();
    EXPECT_EQ(openSettings()->updateLight(), RGB(255, 255, 128)) << "light yellow at each opening";
}

TEST_F(SettingsWindowTest, OkAndTheTitleBarCloseStoreTheSameFiveValues) {
    for (bool byOk : {true, false}) {
        auto w = openSettings();
        const std::wstring runner = byOk ? L"Wallet A" : L"Wallet B";
        w->setControlText(SettingsWindow::RUNNER_NAME_TEXTBOX, runner);
        w->setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, runner + L".exe");
        click(*w, SettingsWindow::ENABLED_TICKBOX);
        if (byOk)
            click(*w, SettingsWindow::OK_BUTTON);
        else
            ::SendMessageW(w->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(w->isOpen());
        EXPECT_EQ(stored(L"MAIN_SETTINGS_Left"), L"1000");
        EXPECT_EQ(stored(L"MAIN_SETTINGS_Top"), L"1000");
        EXPECT_FALSE(stored(L"MAIN_SETTINGS_Width"));
        EXPECT_EQ(stored(L"ENABLED_TICKBOX"), byOk ? L"1" : L"0");
        EXPECT_EQ(stored(L"RUNNER_NAME_TEXTBOX"), runner);
        EXPECT_EQ(stored(L"PROCESS_NAME_TEXTBOX"), runner + L".exe");
    }
    EXPECT_EQ(main->text(), L"KVA - ") << "the caption changes only at the next start";
}

TEST_F(SettingsWindowTest, TheStripKeepsTickingWhileTheWindowIsOpen) {
    writeScripts();
    seed(L"PROCESS_NAME_TEXTBOX", L"absent-" + test::uniqueSuffix() + L".exe");
    seed(L"ENABLED_TICKBOX", L"1");
    main = openMain();
    bool sawWindow = false;
    // Watches from the strip's side: once a tick has started the alert, close the window.
    ui::Timer watcher(*main, [&] {
        if (SettingsWindow* open = main->openSettingsWindow()) {
            sawWindow = true;
            if (!started.empty()) open->close();
        }
    });
    watcher.setInterval(100);
    watcher.setEnabled(true);
    ui::Timer guard(*main, [&] {
        if (SettingsWindow* open = main->openSettingsWindow()) open->close();
    });
    guard.setInterval(15000);
    guard.setEnabled(true);
    main->TLV_BUTTON_Click();  // returns when the window has closed
    EXPECT_TRUE(sawWindow);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], program / L"BATS\\WATCH1-PROCESS-STOPPED-EMAIL.bat");
    EXPECT_EQ(main->openSettingsWindow(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(main->hwnd()));
}

TEST_F(SettingsWindowTest, CreateFoldersMakesBatsAndLogsAndShowsWhatFailed) {
    auto w = openSettings();
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    EXPECT_TRUE(test::fileExists(program / L"BATS"));
    EXPECT_TRUE(test::fileExists(program / L"LOGS"));
    EXPECT_EQ(w->status(), L"");
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);  // both there already
    EXPECT_EQ(w->status(), L"");
    ::RemoveDirectoryW((program / L"LOGS").c_str());
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);  // only BATS there
    EXPECT_TRUE(test::fileExists(program / L"LOGS"));
    EXPECT_EQ(w->status(), L"");

    programFolder = program / L"no such folder";
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    const std::wstring status = w->status();
    EXPECT_NE(status.find(L"Could not make the folder " + programFolder + L"\\BATS: "),
              std::wstring::npos) << narrow(status);
    EXPECT_NE(status.find(programFolder + L"\\LOGS"), std::wstring::npos);
    EXPECT_TRUE(w->isOpen());

    programFolder = program.path();
    ::RemoveDirectoryW((program / L"LOGS").c_str());
    test::writeFile(program / L"LOGS", "a file, not a folder");
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    EXPECT_NE(w->status().find(L"a file of that name is in the way"), std::wstring::npos);
    ::DeleteFileW((program / L"LOGS").c_str());
    click(*w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    EXPECT_EQ(w->status(), L"") << "a later success clears the message";
}

TEST_F(SettingsWindowTest, ItsButtonsOpenTheirWindowsModalOverIt) {
    auto w = openSettings();
    const std::pair<int, const wchar_t*> buttons[] = {
        {SettingsWindow::EMAIL_SETTINGS_BUTTON, L"KOVALT_EMAIL_MAIN_SETTINGS"},
        {SettingsWindow::VIEW_OUTPUT_COMMANDS_BUTTON, L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW"},
        {SettingsWindow::ABOUT_BUTTON, L"KOVALT_ABOUT"}};
    for (auto [button, windowClass] : buttons) {
        SCOPED_TRACE(narrow(windowClass));
        HWND owner = nullptr;
        bool settingsDisabled = false;
        ui::Timer watcher(*main, [&, windowClass = windowClass] {
            HWND opened = ::FindWindowW(windowClass, nullptr);
            if (!opened || owner) return;
            owner = ::GetWindow(opened, GW_OWNER);
            settingsDisabled = !::IsWindowEnabled(w->hwnd());
            ::PostMessageW(opened, WM_CLOSE, 0, 0);
        });
        watcher.setInterval(50);
        watcher.setEnabled(true);
        click(*w, button);  // returns when the opened window has closed
        EXPECT_EQ(owner, w->hwnd());
        EXPECT_TRUE(settingsDisabled);
        EXPECT_TRUE(::IsWindowEnabled(w->hwnd()));
    }
}
