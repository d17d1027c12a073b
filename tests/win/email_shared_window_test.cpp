#include <gtest/gtest.h>

#include "email/email_main_window.h"
#include "email/email_shared_window.h"
#include "email/output_commands_window.h"
#include "instance/settings_window.h"
#include "win_test_support.h"

using namespace kovalt;
using namespace std::chrono_literals;
using email::EmailMainWindow;
using email::EmailSharedWindow;
using email::OutputCommandsWindow;
using instance::SettingsWindow;

namespace {
const std::vector<std::wstring> kSharedKeys = {
    L"SE_HOME_TEXTBOX",           L"SMTP_SERVER_ADDRESS_PORT_TEXTBOX", L"SMTP_USERNAME_TEXTBOX",
    L"SMTP_PASSWORD_TEXTBOX",     L"SEND_FROM_ADDRESS_TEXTBOX",        L"SEND_TO_ADDRESS_TEXTBOX",
    L"SEND_CC_ADDRESS_TEXTBOX",   L"SEND_BCC_ADDRESS_TEXTBOX",         L"TLS_NO_TICKBOX",
    L"TLS_YES_TICKBOX",           L"TLS_AUTO_TICKBOX"};

// The strip, the settings window and the e-mail window beneath the window under test.
class OpenersFixture : public test::InstanceFixture {
protected:
    std::unique_ptr<monitor::MainWindow> main;
    std::unique_ptr<SettingsWindow> settings;
    std::unique_ptr<EmailMainWindow> emailMain;

    void openOpeners() {
        main = openMain();
        settings = std::make_unique<SettingsWindow>(*main);
        ASSERT_TRUE(settings->open());
        emailMain = std::make_unique<EmailMainWindow>(*settings);
        ASSERT_TRUE(emailMain->open());
    }
    std::optional<std::wstring> shared(const wchar_t* key) {
        return registry.store().read(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", key);
    }
    static void click(ui::Window& w, int id) { ::SendMessageW(w.control(id), BM_CLICK, 0, 0); }
};

class EmailSharedWindowTest : public testing::Test, public OpenersFixture {
protected:
    std::unique_ptr<EmailSharedWindow> openShared() {
        if (!emailMain) openOpeners();
        auto w = std::make_unique<EmailSharedWindow>(*emailMain);
        EXPECT_TRUE(w->open());
        recording.saved.clear();
        return w;
    }
};

class OutputCommandsWindowTest : public testing::Test, public OpenersFixture {};
}  // namespace

TEST_F(EmailSharedWindowTest, OpensEmptyAndOkStoresTheElevenSharedKeysOnly) {
    auto w = openShared();
    EXPECT_EQ(w->text(), L"KOV-ALT - EMAIL SHARED SETTINGS");
    EXPECT_EQ(w->fields().home, L"");
    EXPECT_EQ(w->tls().state(), email::TlsState::NoChosen);
    EXPECT_EQ(::SendMessageW(w->control(EmailSharedWindow::SMTP_PASSWORD_TEXTBOX), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_FALSE(::GetWindowLongW(w->hwnd(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT r;
    ::GetWindowRect(w->hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 664);
    EXPECT_EQ(r.bottom - r.top, 367);

    click(*w, EmailSharedWindow::OK_BUTTON);
    EXPECT_FALSE(w->isOpen());
    std::vector<std::wstring> expected = {L"SHARED-SETTINGS-Left", L"SHARED-SETTINGS-Top"};
    expected.insert(expected.end(), kSharedKeys.begin(), kSharedKeys.end());
    expected.insert(expected.end(), {L"SHARED-SETTINGS-Left", L"SHARED-SETTINGS-Top"});
    EXPECT_EQ(recording.saved, expected);
    EXPECT_EQ(shared(L"SE_HOME_TEXTBOX"), L"");
    EXPECT_EQ(shared(L"TLS_NO_TICKBOX"), L"1");
    EXPECT_EQ(shared(L"TLS_YES_TICKBOX"), L"0");
    EXPECT_EQ(stored(L"SHARED-SETTINGS-Left"), L"1000") << "placement in the instance section";
    EXPECT_FALSE(stored(L"SE_HOME_TEXTBOX")) << "no instance e-mail key is written";
    EXPECT_FALSE(shared(L"SHARED-SETTINGS-Left"));
}

TEST_F(EmailSharedWindowTest, CancelAndTheTitleBarLeaveTheSharedSectionAlone) {
    for (bool byCancel : {true, false}) {
        auto w = openShared();
        w->setControlText(EmailSharedWindow::SE_HOME_TEXTBOX, L"C:\\edited");
        click(*w, EmailSharedWindow::TLS_NO_TICKBOX);
        if (byCancel)
            click(*w, EmailSharedWindow::CANCEL_BUTTON);
        else
            ::SendMessageW(w->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(recording.saved,
                  (std::vector<std::wstring>{L"SHARED-SETTINGS-Left", L"SHARED-SETTINGS-Top"}));
        EXPECT_FALSE(shared(L"SE_HOME_TEXTBOX"));
    }
}

TEST_F(EmailSharedWindowTest, UseCopiesWhatItShowsIntoTheEmailWindowThroughItsRules) {
    seed(L"SE_HOME_TEXTBOX", L"C:\\instance home");
    seed(L"SEND_CC_ADDRESS_TEXTBOX", L"instance-cc@x");
    seed(L"TLS_NO_TICKBOX", L"0");
    seed(L"TLS_AUTO_TICKBOX", L"1");  // the e-mail window opens in "auto chosen"
    registry.store().save(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", L"SE_HOME_TEXTBOX",
                          L"C:\\shared home");
    auto w = openShared();
    ASSERT_EQ(emailMain->tls().state(), email::TlsState::AutoChosen);
    // Unsaved edits, an empty field and "yes chosen".
    w->setControlText(EmailSharedWindow::SEND_TO_ADDRESS_TEXTBOX, L"typed@x");
    click(*w, EmailSharedWindow::TLS_NO_TICKBOX);
    click(*w, EmailSharedWindow::TLS_YES_TICKBOX);
    click(*w, EmailSharedWindow::USE_THESE_SHARED_SETTINGS_BUTTON);
    EXPECT_TRUE(w->isOpen());
    EXPECT_EQ(emailMain->fields().home, L"C:\\shared home");
    EXPECT_EQ(emailMain->fields().to, L"typed@x");
    EXPECT_EQ(emailMain->fields().cc, L"") << "an empty shared field empties the instance's";
    EXPECT_EQ(emailMain->tls().state(), email::TlsState::YesChosen);
    EXPECT_EQ(emailMain->tlsWord(), L"yes");
    EXPECT_TRUE(::IsWindowEnabled(emailMain->control(EmailMainWindow::TLS_YES_TICKBOX)));
    EXPECT_FALSE(::IsWindowEnabled(emailMain->control(EmailMainWindow::TLS_AUTO_TICKBOX)));
    EXPECT_TRUE(recording.saved.empty()) << "nothing is stored by the copy";

    click(*w, EmailSharedWindow::CANCEL_BUTTON);
    EXPECT_EQ(emailMain->fields().to, L"typed@x") << "the copy stays after Cancel";
    EXPECT_FALSE(shared(L"SEND_TO_ADDRESS_TEXTBOX"));
    emailMain->COMMAND_UPDATE_TIMER_Timer();
    EXPECT_NE(main->runningCommand().find(L"\"C:\\shared home\\SendEmail.exe\" -f \"\" -t \"typed@x\" -cc \"\""),
              std::wstring::npos);
    EXPECT_NE(main->runningCommand().find(L"-o tls=yes"), std::wstring::npos);
}

TEST_F(EmailSharedWindowTest, EveryInstanceSeesTheSameSharedValues) {
    {
        auto w = openShared();
        w->setControlText(EmailSharedWindow::SMTP_SERVER_ADDRESS_PORT_TEXTBOX, L"mail:25");
        click(*w, EmailSharedWindow::TLS_NO_TICKBOX);
        click(*w, EmailSharedWindow::TLS_AUTO_TICKBOX);
        click(*w, EmailSharedWindow::OK_BUTTON);
    }
    emailMain.reset();
    settings.reset();
    main.reset();
    instanceName = L"WATCH2";
    auto other = openShared();
    EXPECT_EQ(other->fields().server, L"mail:25");
    EXPECT_EQ(other->tls().state(), email::TlsState::AutoChosen);
    EXPECT_EQ(other->fields().home, L"");
}

TEST_F(EmailSharedWindowTest, AnInstanceNamedLikeTheSharedSectionSharesItsOwnValues) {
    instanceName = L"KOV-ALT-SHARED-EMAIL-SETTINGS";
    test::makeFolder(program / L"BATS");
    openOpeners();
    emailMain->setControlText(EmailMainWindow::SE_HOME_TEXTBOX, L"C:\\one and the same");
    click(*emailMain, EmailMainWindow::OK_BUTTON);
    ASSERT_FALSE(emailMain->isOpen()) << test::narrow(emailMain->status());
    auto again = std::make_unique<EmailMainWindow>(*settings);
    ASSERT_TRUE(again->open());
    auto w = std::make_unique<EmailSharedWindow>(*again);
    ASSERT_TRUE(w->open());
    EXPECT_EQ(w->fields().home, L"C:\\one and the same");
}

TEST_F(OutputCommandsWindowTest, ShowsEitherLineWithThePathTheMonitorStarts) {
    instanceName = L"WALLET-WATCH";
    seed(L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX", L"call running line");
    seed(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX", L"call stopped line");
    main = openMain();
    OutputCommandsWindow w(*main, main->hwnd());
    ASSERT_TRUE(w.open());
    EXPECT_EQ(w.text(), L"KOV-ALT - EMAIL OUTPUT COMMANDS");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::COMMAND_NAME_LABEL), L"RUN COMMAND - ");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_COMMANDS_TEXTBOX), L"");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_LOCATIONS_TEXTBOX),
              L"!!! NO COMMAND SELECTED - PLEASE SELECT A COMMAND !!!");
    RECT r;
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 791);

    click(w, OutputCommandsWindow::START_EMAIL_COMMAND_BUTTON);
    EXPECT_EQ(w.controlText(OutputCommandsWindow::COMMAND_NAME_LABEL),
              L"RUN COMMAND - SendEmail.exe - PROCESS RUNNING EMAIL");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_COMMANDS_TEXTBOX), L"call running line");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_LOCATIONS_TEXTBOX),
              program / L"BATS\\WALLET-WATCH-PROCESS-RUNNING-EMAIL.bat");
    click(w, OutputCommandsWindow::END_EMAIL_COMMAND_BUTTON);
    EXPECT_EQ(w.controlText(OutputCommandsWindow::COMMAND_NAME_LABEL),
              L"RUN COMMAND - SendEmail.exe - PROCESS STOPPED EMAIL");
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_COMMANDS_TEXTBOX), L"call stopped line");
    // The location is the very path the monitor starts for that alert.
    main->setProcessName(L"absent-" + test::uniqueSuffix() + L".exe");
    main->startMonitoring();
    main->PROCESS_RUNNING_TIMER_Timer();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(w.controlText(OutputCommandsWindow::ALL_LOCATIONS_TEXTBOX), started[0]);

    click(w, OutputCommandsWindow::OK_BUTTON);
    EXPECT_EQ(registry.store().read(L"KOV-ALT", L"WALLET-WATCH", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Left"), L"1000");
    EXPECT_EQ(registry.store().read(L"KOV-ALT", L"WALLET-WATCH", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Top"), L"1000");
    EXPECT_FALSE(registry.store().read(L"KOVALT", L"WALLET-WATCH", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Left"));
    EXPECT_FALSE(registry.store().read(L"KOV-ALT", L"WALLET-WATCH", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Width"));
}

TEST_F(OutputCommandsWindowTest, OpensFromBothButtonsAndShowsTheNewestLine) {
    openOpeners();
    emailMain->setControlText(EmailMainWindow::SEND_TO_ADDRESS_TEXTBOX, L"newest@x");
    emailMain->COMMAND_UPDATE_TIMER_Timer();  // the builder's tick, nothing saved
    for (ui::Window* opener : {static_cast<ui::Window*>(settings.get()),
                               static_cast<ui::Window*>(emailMain.get())}) {
        std::wstring shown;
        HWND owner = nullptr;
        // Looks at the viewer from the strip's timer while the viewer is modal, then closes it.
        ui::Timer watcher(*main, [&] {
            HWND viewer = ::FindWindowW(L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW", nullptr);
            if (!viewer || !shown.empty()) return;
            owner = ::GetWindow(viewer, GW_OWNER);
            ::SendMessageW(::GetDlgItem(viewer, OutputCommandsWindow::START_EMAIL_COMMAND_BUTTON),
                           BM_CLICK, 0, 0);
            shown = ui::Window::controlText(::GetDlgItem(viewer, OutputCommandsWindow::ALL_COMMANDS_TEXTBOX));
            ::PostMessageW(viewer, WM_CLOSE, 0, 0);
        });
        watcher.setInterval(50);
        watcher.setEnabled(true);
        const int button = opener == settings.get() ? int(SettingsWindow::VIEW_OUTPUT_COMMANDS_BUTTON)
                                                    : int(EmailMainWindow::VIEW_OUTPUT_COMMANDS_BUTTON);
        click(*opener, button);  // returns when the viewer has closed
        EXPECT_EQ(owner, opener->hwnd());
        EXPECT_EQ(shown, main->runningCommand());
        EXPECT_NE(shown.find(L"-t \"newest@x\""), std::wstring::npos);
    }
}
