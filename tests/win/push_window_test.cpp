#include "instance/push_window.h"
#include "platform/protect.h"
#include "win_test_support.h"

using namespace kovalt;
using instance::PushWindow;
using PushWindowTest = test::Instance;

TEST_F(PushWindowTest, TokensAndUrlsAreKeptProtectedAPlainOneIsTakenOneForAnotherUserSaidSo) {
    // A plain URL, as an administrator's .reg file puts it; one kept for another user.
    seed({{L"PUSH_SERVICE_COMBOBOX", L"ntfy"},
          {L"PUSH_URL_TEXTBOX", L"https://ntfy.example.org/rigs"},
          {L"HEARTBEAT_URL_TEXTBOX", L"DPAPI:AQAAANCMnd8BFdERjHoAwE"}});
    auto& strip = openMain();
    auto w = test::opened<PushWindow>(context, strip, strip.hwnd());
    EXPECT_EQ(w->controlText(PushWindow::PUSH_URL_TEXTBOX), L"https://ntfy.example.org/rigs");
    EXPECT_EQ(w->controlText(PushWindow::HEARTBEAT_URL_TEXTBOX), L"");
    EXPECT_TRUE(w->controlText(PushWindow::STATUS_LABEL)
                    .starts_with(L"A stored URL or token could not be read"));
    w->setControlText(PushWindow::PUSH_TOKEN_TEXTBOX, L"tk_secret");
    w->setControlText(PushWindow::HEARTBEAT_MINUTES_TEXTBOX, L"1441");
    click(*w, PushWindow::OK_BUTTON);
    EXPECT_TRUE(w->isOpen()) << "refused, in plain words";
    EXPECT_EQ(stored(L"PUSH_TOKEN_TEXTBOX"), std::nullopt) << "nothing stored";
    w->setControlText(PushWindow::HEARTBEAT_MINUTES_TEXTBOX, L"5");
    click(*w, PushWindow::OK_BUTTON);
    EXPECT_FALSE(w->isOpen());
    for (const auto& [key, value] :
         {std::pair{L"PUSH_URL_TEXTBOX", L"https://ntfy.example.org/rigs"},
          {L"PUSH_TOKEN_TEXTBOX", L"tk_secret"}}) {
        const std::wstring kept = stored(key).value_or(L"");
        EXPECT_TRUE(kept.starts_with(L"DPAPI:")) << test::narrow(kept);
        EXPECT_EQ(platform::unprotect(kept), value);
    }
    EXPECT_EQ(stored(L"HEARTBEAT_MINUTES_TEXTBOX"), std::nullopt) << "the default, unchanged";
}
