#include "email/email_shared_window.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailSharedWindow;

namespace {
struct EmailSharedWindowTest : test::Instance {
    std::unique_ptr<EmailSharedWindow> open() {
        auto w = test::opened<EmailSharedWindow>(context, openEmailMain());
        w->setControlText(EmailSharedWindow::SEND_TO_ADDRESS_TEXTBOX, L"typed@x");
        click(*w, EmailSharedWindow::TLS_NO_TICKBOX);
        click(*w, EmailSharedWindow::TLS_YES_TICKBOX);
        store.saved.clear();
        return w;
    }
    std::optional<std::wstring> shared(const wchar_t* key) {
        return store.registry.read(L"KOVALT", L"KOV-ALT-SHARED-EMAIL-SETTINGS", key).text;
    }
};
}  // namespace

TEST_F(EmailSharedWindowTest, OkStoresItsValuesInTheSharedSectionOnly) {
    auto w = open();
    store.refusedKeys = {L"SMTP_PASSWORD_TEXTBOX", L"TLS_AUTO_TICKBOX"};
    press(*w, EmailSharedWindow::SEND_TO_ADDRESS_TEXTBOX, VK_RETURN);  // Enter: OK, the default
    EXPECT_TRUE(w->isOpen());
    EXPECT_TRUE(
        w->status().starts_with(L"The shared settings were not all stored. Not stored: "
                                L"SMTP password, TLS auto ("))
        << test::narrow(w->status());
    EXPECT_EQ(shared(L"SEND_TO_ADDRESS_TEXTBOX"), L"typed@x") << "what could be, was";
    store.refusedKeys.clear();
    click(*w, EmailSharedWindow::OK_BUTTON);
    EXPECT_FALSE(w->isOpen());
    EXPECT_EQ(shared(L"TLS_YES_TICKBOX"), L"1");
    EXPECT_EQ(shared(L"TLS_NO_TICKBOX"), L"0");
    EXPECT_FALSE(stored(L"SEND_TO_ADDRESS_TEXTBOX")) << "the instance's values are untouched";
}

TEST_F(EmailSharedWindowTest, EnterOnUseCopiesWhatItShowsIntoTheEmailWindowAndEscCancels) {
    seed({{L"SEND_CC_ADDRESS_TEXTBOX", L"cc@x"},
          {L"TLS_NO_TICKBOX", L"0"},
          {L"TLS_AUTO_TICKBOX", L"1"}});
    auto w = open();
    ASSERT_EQ(emailMain->tls().state(), email::TlsState::AutoChosen);
    press(*w, EmailSharedWindow::USE_THESE_SHARED_SETTINGS_BUTTON, VK_RETURN);
    EXPECT_TRUE(w->isOpen()) << "Enter presses the focused button, not the OK behind it";
    press(*w, EmailSharedWindow::SEND_TO_ADDRESS_TEXTBOX, VK_ESCAPE);
    EXPECT_FALSE(w->isOpen()) << "Esc cancels";
    EXPECT_EQ(emailMain->fields().to, L"typed@x") << "what it shows, saved or not";
    EXPECT_EQ(emailMain->fields().cc, L"") << "an empty shared field empties the instance's";
    EXPECT_EQ(emailMain->tls().state(), email::TlsState::YesChosen);
    EXPECT_FALSE(::IsWindowEnabled(emailMain->control(EmailSharedWindow::TLS_AUTO_TICKBOX)));
    EXPECT_EQ(store.saved.size(), 2u) << "only the shared window's position, at its close";
}
