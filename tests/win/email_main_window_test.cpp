#include <algorithm>

#include "email/email_main_window.h"
#include "instance/settings_window.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;

namespace {
const email::MailFields kFields{L"C:\\SendEmail",     L"127.0.0.1:2525", L"alerts", L"s3cret",
                                L"watch@example.org", L"me@example.org", L"",       L""};

struct EmailMainWindowTest : test::Instance {
    std::unique_ptr<SettingsWindow> settings;
    platform::UniqueFile held;  // a file a row keeps open elsewhere
    std::unique_ptr<EmailMainWindow> open() {
        settings = test::opened<SettingsWindow>(context, openMain());
        auto w = test::opened<EmailMainWindow>(context, *settings, *main);
        w->setFields(kFields);
        store.saved.clear();
        return w;
    }
    ui::Colour light() const {
        return ui::WindowTestAccess::colours(*settings,
                                             SettingsWindow::UPDATE_SETTINGS_LIGHT_TEXTBOX)
            .background;
    }
};
}  // namespace

TEST_F(EmailMainWindowTest, EveryTickComposesBothLinesIntoTheStripFromWhatTheWindowsShow) {
    auto w = open();
    settings->setControlText(SettingsWindow::PROCESS_NAME_TEXTBOX, L"wallet.exe");
    click(*w, EmailMainWindow::TLS_NO_TICKBOX);
    click(*w, EmailMainWindow::TLS_AUTO_TICKBOX);
    EXPECT_FALSE(::IsWindowEnabled(w->control(EmailMainWindow::TLS_YES_TICKBOX)));
    EXPECT_EQ(main->runningCommand(), L"") << "not before the tick";
    w->COMMAND_UPDATE_TIMER_Timer();
    const email::LineContext context{L"wallet.exe", L"auto", programFolder, instanceName};
    using monitor::AlertKind;
    EXPECT_EQ(main->runningCommand(), email::composeLine(kFields, context, AlertKind::Running));
    EXPECT_EQ(main->stoppedCommand(), email::composeLine(kFields, context, AlertKind::Stopped));
    EXPECT_TRUE(store.saved.empty()) << "a tick stores nothing";
}

// What OK leaves behind, when it goes through and when a step of it cannot: both scripts and
// the fields, or none of them.
struct OkRow {
    const char* name;
    void (*arrange)(EmailMainWindowTest&, EmailMainWindow&);
    const wchar_t* status;  // empty: OK went through and the window closed
    bool fieldsStored, scriptsWritten;
};
struct EmailMainOk : EmailMainWindowTest, testing::WithParamInterface<OkRow> {};

TEST_P(EmailMainOk, StoresWritesAndClosesOrSaysWhyNot) {
    test::makeFolder(program / L"BATS");
    const std::string before = "call old\r\n";
    test::writeFile(script(L"RUNNING"), before);
    auto w = open();
    GetParam().arrange(*this, *w);
    click(*w, EmailMainWindow::OK_BUTTON);  // at once, before any tick
    const bool done = *GetParam().status == 0;
    const std::wstring status = w->status();
    EXPECT_EQ(w->isOpen(), !done);
    EXPECT_TRUE(status.starts_with(GetParam().status)) << test::narrow(status);
    EXPECT_EQ(status.ends_with(L"Nothing was stored."), !done && !GetParam().scriptsWritten);
    EXPECT_EQ(light() == ui::colours::kGreen, done);
    EXPECT_EQ(stored(L"SMTP_PASSWORD_TEXTBOX").has_value(), GetParam().fieldsStored);
    if (GetParam().scriptsWritten) {
        EXPECT_EQ(test::readFile(script(L"RUNNING")),
                  test::narrow(main->runningCommand()) + "\r\n");
        EXPECT_EQ(test::readFile(script(L"STOPPED")),
                  test::narrow(main->stoppedCommand()) + "\r\n");
    } else {
        EXPECT_EQ(test::readFile(script(L"RUNNING")),
                  test::fileExists(program / L"BATS") ? before : "");
    }
    WIN32_FIND_DATAW found;  // nothing but scripts: a failed write leaves no temporary file
    const platform::UniqueFind find(::FindFirstFileW((program / L"BATS\\*").c_str(), &found));
    for (bool more = bool(find); more; more = ::FindNextFileW(find.get(), &found))
        EXPECT_TRUE(*found.cFileName == L'.' ||
                    std::wstring(found.cFileName).ends_with(L"-EMAIL.bat"))
            << test::narrow(found.cFileName);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EmailMainOk,
    testing::Values(OkRow{"done", [](EmailMainWindowTest&, EmailMainWindow&) {}, L"", true, true},
                    // Near the limit of a file name: "<225 characters>-PROCESS-RUNNING-EMAIL.bat".
                    OkRow{"long_instance_name",
                          [](EmailMainWindowTest& t, EmailMainWindow&) {
                              t.instanceName = std::wstring(225, L'W');
                          },
                          L"", true, true},
                    OkRow{"refused_field",
                          [](EmailMainWindowTest&, EmailMainWindow& w) {
                              w.setControlText(EmailMainWindow::SMTP_PASSWORD_TEXTBOX, L"50%off");
                          },
                          L"The SMTP password holds \"%\"", false, false},
                    OkRow{"no_BATS",
                          [](EmailMainWindowTest& t, EmailMainWindow&) {
                              ::DeleteFileW(t.script(L"RUNNING").c_str());
                              ::RemoveDirectoryW((t.program / L"BATS").c_str());
                          },
                          L"Could not write the alert script ", false, false},
                    OkRow{"folder_in_the_way_of_the_second",
                          [](EmailMainWindowTest& t, EmailMainWindow&) {
                              test::makeFolder(t.script(L"STOPPED"));
                          },
                          L"Could not write the alert script ", false, false},
                    // Open elsewhere, the second script is found in the way only once the first is
                    // replaced: the first gets its old content back.
                    OkRow{"second_held_open",
                          [](EmailMainWindowTest& t, EmailMainWindow&) {
                              test::writeFile(t.script(L"STOPPED"), "call older\r\n");
                              t.held.reset(::CreateFileW(t.script(L"STOPPED").c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                         nullptr));
                          },
                          L"Could not write the alert script ", false, false},
                    OkRow{
                        "store_refuses",
                        [](EmailMainWindowTest& t, EmailMainWindow&) { t.store.denyWrites = true; },
                        L"The alert scripts were written, but the settings were not all stored. "
                        L"Not stored: any",
                        false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmailMainWindowTest, TheTlsBoxesAreReadInTheOrderOfTheBoxes) {
    auto w = open();
    std::vector<std::wstring> tls;
    std::ranges::copy_if(store.readKeys, std::back_inserter(tls),
                         [](const std::wstring& key) { return key.starts_with(L"TLS_"); });
    EXPECT_EQ(tls, (std::vector<std::wstring>{L"TLS_NO_TICKBOX", L"TLS_YES_TICKBOX",
                                              L"TLS_AUTO_TICKBOX"}));
}
