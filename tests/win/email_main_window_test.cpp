#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;

namespace {
const email::MailFields kFields{L"C:\\SendEmail",     L"127.0.0.1:2525", L"alerts", L"s3cret",
                                L"watch@example.org", L"me@example.org", L"",       L""};

struct EmailMainWindowTest : test::Instance {
    EmailMainWindow& open() {
        EmailMainWindow& w = openEmailMain();
        w.setFields(kFields);
        store.saved.clear();
        return w;
    }
};
}  // namespace

// What OK leaves behind, when it goes through and when a step of it cannot: both scripts and
// the fields, or none of them.
enum class Arranged { Nothing, LongName, Percent, FolderInTheWay, StoreRefuses };
struct OkRow {
    const char* name;
    Arranged arranged;
    const wchar_t* status;  // empty: OK went through and the window closed
    bool fieldsStored, scriptsWritten;
};
struct EmailMainOk : EmailMainWindowTest, testing::WithParamInterface<OkRow> {};

TEST_P(EmailMainOk, StoresWritesAndClosesOrSaysWhyNot) {
    test::makeFolder(program / L"BATS");
    const std::string before = "call old\r\n";
    test::writeFile(script(L"RUNNING"), before);
    EmailMainWindow& w = open();
    switch (GetParam().arranged) {
        case Arranged::LongName:  // "<225 characters>-PROCESS-RUNNING-EMAIL.bat": near the limit
            instanceName = std::wstring(225, L'W');
            break;
        case Arranged::FolderInTheWay: test::makeFolder(script(L"STOPPED")); break;
        case Arranged::Percent:
            w.setControlText(EmailMainWindow::SMTP_PASSWORD_TEXTBOX, L"50%off");
            break;
        case Arranged::StoreRefuses: store.denyWrites = true; break;
        default: break;
    }
    click(w, EmailMainWindow::OK_BUTTON);  // at once, before any tick
    const bool done = *GetParam().status == 0;
    const std::wstring status = w.status();
    EXPECT_EQ(w.isOpen(), !done);
    EXPECT_TRUE(status.starts_with(GetParam().status)) << test::narrow(status);
    EXPECT_EQ(status.ends_with(L"Nothing was stored."), !done && !GetParam().scriptsWritten);
    const auto light =
        ui::WindowTestAccess::colours(*settings, SettingsWindow::UPDATE_SETTINGS_LIGHT_TEXTBOX);
    EXPECT_EQ(light.background == ui::colours::kGreen, done);
    EXPECT_EQ(stored(L"SMTP_PASSWORD_TEXTBOX").has_value(), GetParam().fieldsStored);
    if (GetParam().scriptsWritten) {
        EXPECT_EQ(test::readFile(script(L"RUNNING")), test::narrow(state.runningCommand) + "\r\n");
        EXPECT_EQ(test::readFile(script(L"STOPPED")), test::narrow(state.stoppedCommand) + "\r\n");
    } else {  // the first script put back
        EXPECT_EQ(test::readFile(script(L"RUNNING")), before);
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
    testing::Values(
        OkRow{"done", Arranged::Nothing, L"", true, true},
        OkRow{"long_instance_name", Arranged::LongName, L"", true, true},
        OkRow{"refused_field", Arranged::Percent, L"The SMTP password holds \"%\"", false, false},
        OkRow{"folder_in_the_way_of_the_second", Arranged::FolderInTheWay,
              L"Could not write the alert script ", false, false},
        OkRow{"store_refuses", Arranged::StoreRefuses,
              L"The alert scripts were written, but the settings were not all stored. Not "
              L"stored: any",
              false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmailMainWindowTest, SendTestEmailRunsItsOwnScriptOnceAndSaysWhatCameOfIt) {
    test::makeFolder(program / L"BATS");
    test::makeFolder(program / L"LOGS");
    test::makeFolder(program / L"mailer");
    ASSERT_TRUE(::CopyFileW(test::helperProgram(L"kovalt_test_mailer.exe").c_str(),
                            (program / L"mailer\\SendEmail.exe").c_str(), FALSE));
    seed({{L"PROCESS_NAME_TEXTBOX", L"wallet.exe"}});
    EmailMainWindow& w = open();
    w.setControlText(EmailMainWindow::SE_HOME_TEXTBOX, program / L"mailer");
    const auto button = [&] { return w.controlText(EmailMainWindow::SEND_TEST_EMAIL_BUTTON); };
    const auto said = [&] { return w.controlText(EmailMainWindow::TEST_STATUS_LABEL); };
    const std::wstring testScript = program / L"BATS\\WATCH1-TEST-EMAIL.bat";

    click(w, EmailMainWindow::SEND_TEST_EMAIL_BUTTON);
    EXPECT_EQ(button(), L"Sending...");
    EXPECT_FALSE(::IsWindowEnabled(w.control(EmailMainWindow::SEND_TEST_EMAIL_BUTTON)));
    EXPECT_EQ(started, std::vector{testScript});
    ASSERT_TRUE(test::waitUntil([&] { return said().starts_with(L"Test e-mail sent at "); }))
        << test::narrow(said());
    EXPECT_EQ(button(), L"Send Test Email");
    EXPECT_NE(test::readFile(program / L"mailer\\args.txt").find("KOV-ALT - wallet.exe - TEST"),
              std::string::npos);
    EXPECT_TRUE(store.saved.empty()) << "nothing is stored";
    EXPECT_FALSE(test::fileExists(script(L"STOPPED"))) << "nor an alert script written";
}
