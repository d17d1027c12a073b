#include <gtest/gtest.h>

#include <sstream>

#include "email/email_main_window.h"
#include "instance/settings_window.h"
#include "platform/command_start.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;
using test::narrow;

namespace {
const std::wstring kReferenceLine =
    L"call \"\\SendEmail.exe\" -f \"\" -t \"\" -cc \"\" -bcc \"\" -u \"KOV-ALT -  - RUNNING\" -m "
    L"\"KOV-ALT -  - RUNNING\" -s \"\" -xu \"\" -xp \"\" -o reply-to= -l "
    L"\"C:\\TALVERO-ROOT\\KOV-ALT\\LOGS\\WATCH1-SEND-EMAIL.LOG\" -o tls=no -o username= -o "
    L"password= -q -v ";

class EmailMainWindowTest : public testing::Test, public test::InstanceFixture {
protected:
    std::unique_ptr<monitor::MainWindow> main;
    std::unique_ptr<SettingsWindow> settings;

    std::unique_ptr<EmailMainWindow> openEmail() {
        if (!main) main = openMain();
        if (!settings) {
            settings = std::make_unique<SettingsWindow>(*main);
            EXPECT_TRUE(settings->open());
        }
        auto w = std::make_unique<EmailMainWindow>(*settings);
        EXPECT_TRUE(w->open());
        ::ShowWindow(w->hwnd(), SW_SHOW);
        recording.saved.clear();
        return w;
    }
    static void click(EmailMainWindow& w, int id) { ::SendMessageW(w.control(id), BM_CLICK, 0, 0); }
    static bool checked(EmailMainWindow& w, int id) {
        return ::SendMessageW(w.control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static bool enabled(EmailMainWindow& w, int id) { return ::IsWindowEnabled(w.control(id)); }
    static wchar_t mask(EmailMainWindow& w) {
        return static_cast<wchar_t>(
            ::SendMessageW(w.control(EmailMainWindow::SMTP_PASSWORD_TEXTBOX), EM_GETPASSWORDCHAR, 0, 0));
    }
    std::wstring script(const wchar_t* kind) {
        return program / (std::wstring(L"BATS\\WATCH1-PROCESS-") + kind + L"-EMAIL.bat");
    }
};

const email::MailFields kFields{L"C:\\TALVERO-ROOT\\SendEmail", L"127.0.0.1:2525", L"alerts",
                                L"s3cret", L"watch@example.org", L"me@example.org", L"", L""};
}  // namespace

TEST_F(EmailMainWindowTest, LoadsFieldsTlsAndLinesFromTheStore) {
    const wchar_t* keys[] = {L"SE_HOME_TEXTBOX", L"SMTP_SERVER_ADDRESS_PORT_TEXTBOX",
                             L"SMTP_USERNAME_TEXTBOX", L"SMTP_PASSWORD_TEXTBOX",
                             L"SEND_FROM_ADDRESS_TEXTBOX", L"SEND_TO_ADDRESS_TEXTBOX",
                             L"SEND_CC_ADDRESS_TEXTBOX", L"SEND_BCC_ADDRESS_TEXTBOX"};
    for (size_t i = 0; i < 8; ++i) seed(keys[i], std::wstring(L"value ") + keys[i]);
    seed(L"TLS_NO_TICKBOX", L"0");
    seed(L"TLS_YES_TICKBOX", L"1");
    seed(L"TLS_AUTO_TICKBOX", L"0");
    seed(L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX", L"stored running");
    seed(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX", L"stored stopped");
    auto w = openEmail();
    EXPECT_EQ(w->text(), L"KOV-ALT - EMAIL MAIN SETTINGS");
    EXPECT_EQ(w->fields().password, L"value SMTP_PASSWORD_TEXTBOX");
    EXPECT_EQ(w->fields().bcc, L"value SEND_BCC_ADDRESS_TEXTBOX");
    EXPECT_EQ(w->fields().home, L"value SE_HOME_TEXTBOX");
    EXPECT_FALSE(checked(*w, EmailMainWindow::TLS_NO_TICKBOX));
    EXPECT_TRUE(checked(*w, EmailMainWindow::TLS_YES_TICKBOX));
    EXPECT_FALSE(enabled(*w, EmailMainWindow::TLS_NO_TICKBOX));
    EXPECT_TRUE(enabled(*w, EmailMainWindow::TLS_YES_TICKBOX));
    EXPECT_FALSE(enabled(*w, EmailMainWindow::TLS_AUTO_TICKBOX));
    EXPECT_EQ(w->tlsWord(), L"yes");
    EXPECT_EQ(w->runningCommand(), L"stored running") << "until the first tick";
    EXPECT_EQ(w->commandUpdateTimer().interval(), 500u);
    EXPECT_TRUE(w->commandUpdateTimer().enabled());
    EXPECT_EQ(mask(*w), L'*');
    RECT r;
    ::GetWindowRect(w->hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 661);
    EXPECT_EQ(r.bottom - r.top, 359);
    w->COMMAND_UPDATE_TIMER_Timer();
    EXPECT_NE(w->runningCommand().find(L" -o tls=yes "), std::wstring::npos);
}

TEST_F(EmailMainWindowTest, TheBuilderComposesTheReferenceLineAndMirrorsItIntoTheStrip) {
    programFolder = L"C:\\TALVERO-ROOT\\KOV-ALT";
    auto w = openEmail();
    w->COMMAND_UPDATE_TIMER_Timer();
    EXPECT_EQ(w->runningCommand(), kReferenceLine);
    EXPECT_EQ(w->runningSubject(), L"KOV-ALT -  - RUNNING");
    EXPECT_EQ(main->runningCommand(), kReferenceLine);
    EXPECT_EQ(main->stoppedCommand(), w->stoppedCommand());
    // Edits, saved or not, show at the next tick: the name in the settings window, a TLS click.
    settings->setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, L"wallet.exe");
    click(*w, EmailMainWindow::TLS_NO_TICKBOX);
    click(*w, EmailMainWindow::TLS_AUTO_TICKBOX);
    w->COMMAND_UPDATE_TIMER_Timer();
    EXPECT_EQ(w->stoppedSubject(), L"KOV-ALT - wallet.exe - STOPPED");
    EXPECT_NE(main->stoppedCommand().find(L"-u \"KOV-ALT - wallet.exe - STOPPED\""), std::wstring::npos);
    EXPECT_NE(main->runningCommand().find(L" -o tls=auto "), std::wstring::npos);
}

TEST_F(EmailMainWindowTest, ButtonsTheTlsGroupAndThePasswordRule) {
    auto w = openEmail();
    click(*w, EmailMainWindow::USE_BUTTON);
    EXPECT_EQ(w->fields().home, L"C:\\TALVERO-ROOT\\SendEmail");
    folderAnswer = std::nullopt;
    click(*w, EmailMainWindow::BROWSE_SE_HOME_FOLDER_BUTTON);
    EXPECT_EQ(w->fields().home, L"C:\\TALVERO-ROOT\\SendEmail") << "cancel changes nothing";
    folderAnswer = L"D:\\";
    click(*w, EmailMainWindow::BROWSE_SE_HOME_FOLDER_BUTTON);
    EXPECT_EQ(w->fields().home, L"D:\\");
    ASSERT_EQ(folderTitles.size(), 2u);
    EXPECT_EQ(folderTitles[0], L"HOME FOLDER - SendEmail.exe");

    click(*w, EmailMainWindow::TLS_YES_TICKBOX);  // disabled in "no chosen": refused
    EXPECT_EQ(w->tls().state(), email::TlsState::NoChosen);
    click(*w, EmailMainWindow::TLS_NO_TICKBOX);
    EXPECT_EQ(w->tls().state(), email::TlsState::NoneChosen);
    for (int id : {EmailMainWindow::TLS_NO_TICKBOX, EmailMainWindow::TLS_YES_TICKBOX,
                   EmailMainWindow::TLS_AUTO_TICKBOX}) {
        EXPECT_TRUE(enabled(*w, id));
        EXPECT_FALSE(checked(*w, id));
    }
    click(*w, EmailMainWindow::TLS_YES_TICKBOX);
    EXPECT_EQ(w->tlsWord(), L"yes");
    click(*w, EmailMainWindow::TLS_YES_TICKBOX);
    EXPECT_EQ(w->tls().state(), email::TlsState::NoChosen);
    EXPECT_TRUE(checked(*w, EmailMainWindow::TLS_NO_TICKBOX));
    EXPECT_FALSE(enabled(*w, EmailMainWindow::TLS_YES_TICKBOX));

    w->setControlText(EmailMainWindow::SMTP_PASSWORD_TEXTBOX, L"pw");
    click(*w, EmailMainWindow::SHOW_PASSWORD_TICKBOX);
    EXPECT_EQ(mask(*w), 0);
    click(*w, EmailMainWindow::SHOW_PASSWORD_TICKBOX);
    EXPECT_EQ(mask(*w), L'*');
    EXPECT_EQ(w->fields().password, L"pw");
}

TEST_F(EmailMainWindowTest, CancelAndTheTitleBarStoreOnlyThePosition) {
    for (bool byCancel : {true, false}) {
        auto w = openEmail();
        w->setFields(kFields);
        if (byCancel)
            click(*w, EmailMainWindow::CANCEL_BUTTON);
        else
            ::SendMessageW(w->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(w->isOpen());
        EXPECT_EQ(recording.saved,
                  (std::vector<std::wstring>{L"EMAIL-MAIN-SETTINGS-Left", L"EMAIL-MAIN-SETTINGS-Top"}));
        EXPECT_FALSE(stored(L"SE_HOME_TEXTBOX"));
        EXPECT_FALSE(test::fileExists(script(L"RUNNING")));
    }
}

TEST_F(EmailMainWindowTest, OkStoresEverythingWritesBothScriptsAndTurnsTheLightGreen) {
    test::makeFolder(program / L"BATS");
    auto w = openEmail();
    w->setFields(kFields);
    settings->setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, L"wallet.exe");
    // Pressed at once, before any tick: the lines come from the fields as they stand.
    click(*w, EmailMainWindow::OK_BUTTON);
    EXPECT_FALSE(w->isOpen());
    EXPECT_EQ(recording.saved,
              (std::vector<std::wstring>{
                  L"EMAIL-MAIN-SETTINGS-Left", L"EMAIL-MAIN-SETTINGS-Top", L"SE_HOME_TEXTBOX",
                  L"SMTP_SERVER_ADDRESS_PORT_TEXTBOX", L"SMTP_USERNAME_TEXTBOX",
                  L"SMTP_PASSWORD_TEXTBOX", L"SEND_FROM_ADDRESS_TEXTBOX", L"SEND_TO_ADDRESS_TEXTBOX",
                  L"SEND_CC_ADDRESS_TEXTBOX", L"SEND_BCC_ADDRESS_TEXTBOX", L"TLS_NO_TICKBOX",
                  L"TLS_YES_TICKBOX", L"TLS_AUTO_TICKBOX", L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX",
                  L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX", L"EMAIL-MAIN-SETTINGS-Left",
                  L"EMAIL-MAIN-SETTINGS-Top"}));
    const std::wstring running = *stored(L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX");
    EXPECT_NE(running.find(L"-u \"KOV-ALT - wallet.exe - RUNNING\""), std::wstring::npos);
    EXPECT_NE(running.find(L"-xp \"s3cret\""), std::wstring::npos);
    EXPECT_EQ(stored(L"SMTP_PASSWORD_TEXTBOX"), L"s3cret");
    EXPECT_EQ(stored(L"TLS_NO_TICKBOX"), L"1");
    EXPECT_EQ(main->runningCommand(), running);
    EXPECT_EQ(main->stoppedCommand(), *stored(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX"));
    // One line in the ANSI code page, then CR LF, nothing else.
    EXPECT_EQ(test::readFile(script(L"RUNNING")), narrow(running) + "\r\n");
    EXPECT_EQ(test::readFile(script(L"STOPPED")),
              narrow(*stored(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX")) + "\r\n");
    EXPECT_EQ(settings->updateLight(), RGB(0, 255, 0));

    // Again with nothing changed: byte-identical scripts, no stray temporary files.
    const std::string before = test::readFile(script(L"RUNNING"));
    auto again = openEmail();
    click(*again, EmailMainWindow::OK_BUTTON);
    EXPECT_EQ(test::readFile(script(L"RUNNING")), before);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((program / L"BATS\\*.new").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
}

TEST_F(EmailMainWindowTest, AScriptThatCannotBeWrittenKeepsTheWindowOpenAndSaysWhy) {
    // No BATS folder.
    auto w = openEmail();
    w->setFields(kFields);
    click(*w, EmailMainWindow::OK_BUTTON);
    EXPECT_TRUE(w->isOpen());
    EXPECT_NE(w->status().find(script(L"RUNNING")), std::wstring::npos) << narrow(w->status());
    EXPECT_NE(settings->updateLight(), RGB(0, 255, 0));
    EXPECT_EQ(stored(L"SMTP_PASSWORD_TEXTBOX"), L"s3cret") << "the steps done stay done";
    EXPECT_FALSE(test::fileExists(script(L"STOPPED")));
}

TEST_F(EmailMainWindowTest, AFieldThatCannotBeCarriedIsRefusedBeforeAnythingIsStored) {
    test::makeFolder(program / L"BATS");
    auto w = openEmail();
    email::MailFields f = kFields;
    f.password = L"50%off";
    w->setFields(f);
    click(*w, EmailMainWindow::OK_BUTTON);
    EXPECT_TRUE(w->isOpen());
    EXPECT_NE(w->status().find(L"The SMTP password holds \"%\""), std::wstring::npos);
    EXPECT_EQ(w->status().find(L"50%off"), std::wstring::npos);
    EXPECT_TRUE(recording.saved.empty());
    EXPECT_FALSE(test::fileExists(script(L"RUNNING")));
}

TEST_F(EmailMainWindowTest, ScriptsRunByCmdHandTheMailerExactlyWhatWasTyped) {
    // A mailer home whose path holds a blank and an ampersand, with a stand-in that records
    // the arguments it receives.
    test::makeFolder(program / L"BATS");
    const std::wstring home = program / L"mail home & co";
    test::makeFolder(home);
    ASSERT_TRUE(::CopyFileW((test::testProgramFolder() + L"\\kovalt_test_mailer.exe").c_str(),
                            (home + L"\\SendEmail.exe").c_str(), FALSE));
    std::wstring printable;
    for (wchar_t c = 0x20; c < 0x7f; ++c)
        if (c != L'"' && c != L'%' && c != L'^') printable += c;
    const email::MailFields f{home, L"127.0.0.1:25", L"the user (admin)", printable + L"\\",
                              L"a@x, b@y", L"<me@x>; you@y", L"c&d@x", L"trailing\\\\"};
    auto w = openEmail();
    w->setFields(f);
    settings->setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, L"bob's (x86) & co!.exe");
    click(*w, EmailMainWindow::TLS_NO_TICKBOX);
    click(*w, EmailMainWindow::TLS_AUTO_TICKBOX);
    click(*w, EmailMainWindow::OK_BUTTON);
    ASSERT_FALSE(w->isOpen()) << narrow(w->status());

    for (const wchar_t* kind : {L"RUNNING", L"STOPPED"}) {
        SCOPED_TRACE(narrow(kind));
        const std::wstring argsFile = home + L"\\args.txt";
        ::DeleteFileW(argsFile.c_str());
        ASSERT_TRUE(platform::startBatchHidden(script(kind)).started);
        ASSERT_TRUE(test::waitUntil([&] { return test::fileExists(argsFile); }));
        const std::wstring subject = std::wstring(L"KOV-ALT - bob's (x86) & co!.exe - ") + kind;
        const std::vector<std::wstring> expected = {
            L"-f", f.from, L"-t", f.to, L"-cc", f.cc, L"-bcc", f.bcc, L"-u", subject, L"-m",
            subject, L"-s", f.server, L"-xu", f.user, L"-xp", f.password, L"-o",
            L"reply-to=" + f.from, L"-l", program / L"LOGS\\WATCH1-SEND-EMAIL.LOG", L"-o",
            L"tls=auto", L"-o", L"username=" + f.user, L"-o", L"password=" + f.password, L"-q",
            L"-v"};
        std::string received = test::readFile(argsFile);
        std::vector<std::wstring> args;
        std::istringstream lines(received);
        for (std::string line; std::getline(lines, line);) {
            int n = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
            std::wstring wide(static_cast<size_t>(n), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), n);
            args.push_back(wide);
        }
        ASSERT_EQ(args.size(), expected.size()) << received;
        for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(args[i], expected[i]) << i;
    }
}
