#include "instance/settings_window.h"
#include "win_test_support.h"

using namespace kovalt;
using instance::SettingsWindow;
using SettingsWindowTest = test::Instance;

namespace {
bool nameLocked(const SettingsWindow& w) {
    return ::GetWindowLongW(w.control(SettingsWindow::PROCESS_NAME_TEXTBOX), GWL_STYLE) &
           ES_READONLY;
}
}  // namespace

TEST_F(SettingsWindowTest, LoadingActsOnTheStripAsTheUsersClicksWould) {
    // Always-on-top stored as "1.0" is stored again as "1": its click handler ran.
    for (auto [onTop, enabled] : {std::pair{L"1.0", L"1"}, {L"0.0", L"0"}}) {
        seed({{L"AlwaysOnTop_TICKBOX", onTop},
              {L"ENABLED_TICKBOX", enabled},
              {L"PROCESS_NAME_TEXTBOX", L"w.exe"}});
        auto& strip = openMain();
        strip.stopMonitoring();
        strip.alwaysOnTopTimer().setEnabled(false);
        strip.watchName(L"other.exe");
        auto w = test::opened<SettingsWindow>(context, state, strip, strip.hwnd());
        const bool on = onTop[0] == L'1', monitoring = enabled[0] == L'1';
        EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), on ? L"1" : L"0.0") << on << monitoring;
        EXPECT_EQ(strip.alwaysOnTopTimer().enabled(), on) << on << monitoring;
        EXPECT_EQ(strip.processRunningTimer().enabled(), monitoring) << on << monitoring;
        EXPECT_EQ(nameLocked(*w), monitoring) << "the name is locked while monitoring";
        EXPECT_EQ(state.processName, L"w.exe");
    }
}

TEST_F(SettingsWindowTest, ItsControlsActOnTheStripAtOnce) {
    seed({{L"ENABLED_TICKBOX", L"1"}, {L"PROCESS_NAME_TEXTBOX", L"wallet"}});
    SettingsWindow& w = openSettings();
    click(w, SettingsWindow::ENABLED_TICKBOX);
    EXPECT_FALSE(main->processRunningTimer().enabled() || main->processStoppedTimer().enabled());
    EXPECT_EQ(lightTip(), L"NOT MONITORING");
    EXPECT_EQ(stored(L"ENABLED_TICKBOX"), L"1") << "stored at OK or close, not before";
    HWND name = w.control(SettingsWindow::PROCESS_NAME_TEXTBOX);
    ::SendMessageW(name, EM_SETSEL, 6, 6);
    for (wchar_t c : std::wstring(L".exe")) ::SendMessageW(name, WM_CHAR, c, 0);
    EXPECT_EQ(state.processName, L"wallet.exe") << "every keystroke reaches the strip";
    fileAnswer = L"miner.exe";
    click(w, SettingsWindow::BROWSE_PROCESS_NAME_FILE_BUTTON);
    EXPECT_EQ(state.processName, L"miner.exe");

    click(w, SettingsWindow::AlwaysOnTop_TICKBOX);  // ticked by the empty store's default
    EXPECT_EQ(stored(L"AlwaysOnTop_TICKBOX"), L"0") << "stored the moment it changes";
    EXPECT_FALSE(main->alwaysOnTopTimer().enabled());
    store.denyWrites = true;
    click(w, SettingsWindow::AlwaysOnTop_TICKBOX);
    EXPECT_FALSE(main->alwaysOnTopTimer().enabled()) << "the strip follows what is stored";
    EXPECT_TRUE(w.controlText(SettingsWindow::STATUS_LABEL)
                    .starts_with(L"Could not store Always On Top: "));
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_TRUE(w.isOpen()) << "OK stays to say it stored nothing";
    EXPECT_TRUE(w.controlText(SettingsWindow::STATUS_LABEL)
                    .starts_with(L"The settings could not be stored: "));
    store.denyWrites = false;
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_EQ(
        std::pair(stored(L"ENABLED_TICKBOX"), stored(L"PROCESS_NAME_TEXTBOX")),
        std::pair(std::optional<std::wstring>(L"0"), std::optional<std::wstring>(L"miner.exe")));
    EXPECT_EQ(main->text(), L"KVA - ") << "the caption changes only at the next start";
}

TEST_F(SettingsWindowTest, CreateFoldersMakesBatsAndLogsOrSaysWhatFailed) {
    SettingsWindow& w = openSettings();
    test::writeFile(program / L"LOGS", "a file, not a folder");
    click(w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    EXPECT_TRUE(test::fileExists(program / L"BATS"));
    EXPECT_EQ(w.controlText(SettingsWindow::STATUS_LABEL),
              L"Could not make the folder " + (program / L"LOGS") +
                  L": a file of that name is in the way");
    ::DeleteFileW((program / L"LOGS").c_str());
    click(w, SettingsWindow::CREATE_FOLDERS_BUTTON);  // BATS there already
    EXPECT_TRUE(test::fileExists(program / L"LOGS"));
    EXPECT_EQ(w.controlText(SettingsWindow::STATUS_LABEL), L"")
        << "a later success clears the message";
}

TEST_F(SettingsWindowTest, OkBringsStoredAlertScriptsToTheWatchedNameOrStaysToSayWhyNot) {
    seed({{L"SE_HOME_TEXTBOX", L"C:\\SendEmail"}, {L"SEND_TO_ADDRESS_TEXTBOX", L"me@example.org"}});
    SettingsWindow& w = openSettings();  // no BATS folder yet
    w.setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, L"new.exe");
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_TRUE(w.isOpen());
    EXPECT_NE(w.controlText(SettingsWindow::STATUS_LABEL).find(L"CREATE FOLDERS"),
              std::wstring::npos);
    EXPECT_EQ(stored(L"PROCESS_NAME_TEXTBOX"), L"new.exe") << "the name change is kept";
    click(w, SettingsWindow::CREATE_FOLDERS_BUTTON);
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_FALSE(w.isOpen());
    const std::string line = test::readFile(script(L"STOPPED"));
    EXPECT_NE(line.find("-u \"KOV-ALT - new.exe - STOPPED\""), std::string::npos) << line;
    EXPECT_EQ(line, test::narrow(*stored(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX")) + "\r\n");
    EXPECT_EQ(state.stoppedCommand, stored(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX"));
}

TEST_F(SettingsWindowTest, TheRestartBoxesFillWhenTickedAndOkRefusesAnotherProgram) {
    platform::StartedProgram running;
    const std::wstring path = runSleeperCopy(L"filled", L"30", running);
    ASSERT_FALSE(path.empty());
    const std::wstring name = path.substr(programFolder.size() + 1);
    seed({{L"PROCESS_NAME_TEXTBOX", name}});
    SettingsWindow& w = openSettings();
    main->PROCESS_RUNNING_TIMER_Timer();  // the strip sees it run
    EXPECT_EQ(w.controlText(SettingsWindow::RESTART_COMMAND_TEXTBOX), L"")
        << "a command line may hold a secret: not taken unless asked for";
    click(w, SettingsWindow::RESTART_TICKBOX);
    // Wine reports no command line for another process, so the program alone is offered.
    const std::wstring offered = w.controlText(SettingsWindow::RESTART_COMMAND_TEXTBOX);
    EXPECT_TRUE(offered.starts_with(L"\"" + path + L"\"")) << test::narrow(offered);
    EXPECT_EQ(w.controlText(SettingsWindow::RESTART_FOLDER_TEXTBOX), programFolder);
    EXPECT_EQ(stored(L"RESTART_COMMAND_TEXTBOX"), std::nullopt) << "stored at OK, not before";
    ::TerminateProcess(running.process.get(), 1);

    w.setControlText(SettingsWindow::RESTART_COMMAND_TEXTBOX, L"notepad.exe");
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_TRUE(w.isOpen());
    EXPECT_TRUE(w.controlText(SettingsWindow::STATUS_LABEL)
                    .starts_with(L"Restart when stopped was not stored: The restart command "
                                 L"starts notepad.exe, not the watched "));
    EXPECT_EQ(stored(L"RESTART_TICKBOX"), std::nullopt);
    EXPECT_EQ(stored(L"PROCESS_NAME_TEXTBOX"), name) << "the rest is stored as always";
    w.setControlText(SettingsWindow::RESTART_COMMAND_TEXTBOX, L"\"" + path + L"\"");
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(stored(L"RESTART_TICKBOX"), L"1");
}

TEST_F(SettingsWindowTest, ConfirmedUntouchedItStoresWhatItAlwaysStoredOnceAndNothingItCameWith) {
    seed({{L"PROCESS_NAME_TEXTBOX", L"gone.exe"},
          {L"ENABLED_TICKBOX", L"1"},
          {L"RESTART_TICKBOX", L"1"},
          {L"RESTART_COMMAND_TEXTBOX", L"\"" + programFolder + L"\\gone.exe\""},
          {L"RESTART_FOLDER_TEXTBOX", programFolder}});
    SettingsWindow& w = openSettings();
    store.saved.clear();
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(store.saved, (std::vector<std::wstring>{L"MAIN_SETTINGS_Left", L"MAIN_SETTINGS_Top",
                                                      L"ENABLED_TICKBOX", L"RUNNER_NAME_TEXTBOX",
                                                      L"PROCESS_NAME_TEXTBOX"}));
}

TEST_F(SettingsWindowTest, StartWithWindowsWritesAndRemovesTheRunValueThatNamesThisProgram) {
    const std::wstring key = context.logonRunKey, name = L"KOV-ALT " + instanceName;
    // Written by a copy elsewhere: the box is unticked and says where the value points.
    ASSERT_TRUE(platform::writeLogonRun(key, name, L"\"C:\\Old Place\\WATCH1.exe\" /startup").ok());
    SettingsWindow& w = openSettings();
    EXPECT_EQ(w.tickValue(SettingsWindow::START_WITH_WINDOWS_TICKBOX), 0);
    EXPECT_EQ(w.controlText(SettingsWindow::LOGON_RUN_LABEL),
              L"Windows starts another copy: C:\\Old Place\\WATCH1.exe");
    click(w, SettingsWindow::START_WITH_WINDOWS_TICKBOX);
    EXPECT_EQ(platform::readLogonRun(key, name),
              L"\"" + platform::currentExecutable() + L"\" /startup");
    EXPECT_EQ(w.tickValue(SettingsWindow::START_WITH_WINDOWS_TICKBOX), 1);
    EXPECT_EQ(w.controlText(SettingsWindow::LOGON_RUN_LABEL), L"");
    click(w, SettingsWindow::START_WITH_WINDOWS_TICKBOX);
    EXPECT_EQ(platform::readLogonRun(key, name), std::nullopt);
    EXPECT_EQ(w.tickValue(SettingsWindow::START_WITH_WINDOWS_TICKBOX), 0);
}

TEST_F(SettingsWindowTest, TheMetricsFolderIsKeptOnlyWhereItsFileCanBeWritten) {
    SettingsWindow& w = openSettings();
    test::writeFile(program / L"a file", "");
    for (const std::wstring& refused : {program / L"none", program / L"a file"}) {
        w.setControlText(SettingsWindow::METRICS_FOLDER_TEXTBOX, refused);
        click(w, SettingsWindow::OK_BUTTON);
        EXPECT_TRUE(w.controlText(SettingsWindow::STATUS_LABEL)
                        .starts_with(L"The metrics folder was not stored: " + refused));
        EXPECT_EQ(stored(L"METRICS_FOLDER_TEXTBOX"), std::nullopt);
    }
    w.setControlText(SettingsWindow::METRICS_FOLDER_TEXTBOX, programFolder);
    click(w, SettingsWindow::OK_BUTTON);
    EXPECT_FALSE(w.isOpen());
    EXPECT_NE(test::readFile(program / L"kovalt_WATCH1.prom").find("kovalt_up{watch=\"WATCH1\""),
              std::string::npos);
}
