// What holds for every window: where it opens from, and what its closing stores.
#include "about/about_window.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;

namespace {
// The windows with buttons that open the others, as the program opens them.
struct Openers : test::Instance {
    std::unique_ptr<ui::Window> window;  // declared last, so it goes first

    ui::Window& strip() { return openMain(); }
    ui::Window& settingsWindow() { return openSettings(); }
    ui::Window& email() { return openEmailMain(); }
    ui::Window& about() {
        return *(window = test::opened<about::AboutWindow>(context, openSettings().hwnd()));
    }
};
struct Row {
    const char* name;
    ui::Window& (Openers::*open)();  // the window with the button
    int button;
    const wchar_t* opened;  // the class of the window it opens
    const wchar_t* keys;    // that window's placement keys' prefix
};
struct AButton : Openers, testing::WithParamInterface<Row> {};
}  // namespace

TEST_P(AButton, OpensItsWindowModalOverItsOwnWhichStoresWhereItIsUnderItsOwnKeysAtClose) {
    ui::Window& opener = (this->*GetParam().open)();
    const std::wstring left = GetParam().keys + std::wstring(L"Left");
    const std::wstring top = GetParam().keys + std::wstring(L"Top");
    HWND owner = nullptr;
    bool openerDisabled = false;
    // The strip's timers go on while a modal window is open: one of them looks at it, moves it
    // and closes it by its title bar while the store refuses its Top.
    ui::Timer watcher(*main, [&] {
        HWND opened = ::FindWindowW(GetParam().opened, nullptr);
        if (!opened || owner) return;
        owner = ::GetWindow(opened, GW_OWNER);
        openerDisabled = !::IsWindowEnabled(opener.hwnd());
        ::SetWindowPos(opened, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        store.saved.clear();
        store.refusedKeys = {top};
        ::PostMessageW(opened, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    watcher.setInterval(50);
    watcher.setEnabled(true);
    click(opener, GetParam().button);  // returns when the opened window has closed
    EXPECT_EQ(owner, opener.hwnd());
    EXPECT_TRUE(openerDisabled && ::IsWindowEnabled(opener.hwnd()));
    EXPECT_EQ(::FindWindowW(GetParam().opened, nullptr), nullptr);
    ASSERT_GE(store.saved.size(), 2u);
    EXPECT_EQ(std::vector(store.saved.begin(), store.saved.begin() + 2), (std::vector{left, top}));
    for (size_t i = 2; i < store.saved.size(); ++i)  // the settings window also stores its fields
        EXPECT_TRUE(store.saved[i].ends_with(L"BOX")) << test::narrow(store.saved[i]);
    EXPECT_EQ(stored(left.c_str(), left.starts_with(L"SINGLE") ? L"KOV-ALT" : L"KOVALT"), L"3000");
    ASSERT_EQ(told.size(), 1u) << "the refused Top is told";
    EXPECT_NE(told[0].find(L"could not be stored: "), std::wstring::npos) << test::narrow(told[0]);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWindow, AButton,
    testing::Values(Row{"settings", &Openers::strip, monitor::MainWindow::TLV_BUTTON,
                        L"KOVALT_SETTINGS", L"MAIN_SETTINGS_"},
                    Row{"email", &Openers::settingsWindow, SettingsWindow::EMAIL_SETTINGS_BUTTON,
                        L"KOVALT_EMAIL_MAIN_SETTINGS", L"EMAIL-MAIN-SETTINGS-"},
                    Row{"viewer", &Openers::settingsWindow,
                        SettingsWindow::VIEW_OUTPUT_COMMANDS_BUTTON,
                        L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW", L"SINGLE_OUTPUT_COMMANDS_WINDOW-"},
                    Row{"about", &Openers::settingsWindow, SettingsWindow::ABOUT_BUTTON,
                        L"KOVALT_ABOUT", L"ABOUT_"},
                    Row{"shared", &Openers::email, EmailMainWindow::SHARED_SETTINGS_BUTTON,
                        L"KOVALT_EMAIL_SHARED_SETTINGS", L"SHARED-SETTINGS-"},
                    Row{"donations", &Openers::about, about::AboutWindow::DONATIONS_BUTTON,
                        L"BREVLIN_TALVERO_DONATIONS_WINDOW", L"DONATIONS_WINDOW-"}),
    [](const auto& info) { return std::string(info.param.name); });
