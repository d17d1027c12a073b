// What holds for every window: where it opens from, and what its closing stores.
#include <algorithm>

#include "about/about_window.h"
#include "about/donations_window.h"
#include "email/email_main_window.h"
#include "email/email_shared_window.h"
#include "email/output_commands_window.h"
#include "instance/settings_window.h"
#include "win_test_support.h"

using namespace kovalt;
using email::EmailMainWindow;
using instance::SettingsWindow;

namespace {
// Each window opened as the program opens it, over the windows it opens from.
struct Openers : test::Instance {
    std::unique_ptr<SettingsWindow> settings;
    std::unique_ptr<EmailMainWindow> email;
    std::unique_ptr<ui::Window> window;  // declared last, so it goes first

    ui::Window& strip() { return openMain(); }
    ui::Window& settingsWindow() {
        return *(settings = test::opened<SettingsWindow>(context, openMain()));
    }
    ui::Window& emailMain() {
        SettingsWindow& opener = settingsOf();  // before the strip is taken: it makes the strip
        return *(email = test::opened<EmailMainWindow>(context, opener, *main));
    }
    ui::Window& shared() {
        return *(window = test::opened<email::EmailSharedWindow>(context, emailOf()));
    }
    ui::Window& viewer() { return over<email::OutputCommandsWindow>(strip().hwnd()); }
    ui::Window& about() { return over<about::AboutWindow>(settingsWindow().hwnd()); }
    ui::Window& donations() { return over<about::DonationsWindow>(strip().hwnd()); }

    SettingsWindow& settingsOf() { return settingsWindow(), *settings; }
    EmailMainWindow& emailOf() { return emailMain(), *email; }
    template <typename W>
    ui::Window& over(HWND owner) {
        if constexpr (std::is_constructible_v<W, decltype(context), monitor::MainWindow&, HWND>)
            return *(window =
                         test::opened<W>(context, *main, owner));  // it shows the strip's lines
        else
            return *(window = test::opened<W>(context, owner));
    }
};
struct Row {
    const char* name;
    ui::Window& (Openers::*open)();  // the window closed, or the window with the button
    const wchar_t* keyOrClass;       // its placement keys' prefix, or the class opened
    int button = 0;
};
struct ClosingAWindow : Openers, testing::WithParamInterface<Row> {};
struct AButtonOpens : Openers, testing::WithParamInterface<Row> {};
auto nameOf = [](const auto& info) { return std::string(info.param.name); };
}  // namespace

TEST_P(ClosingAWindow, StoresWhereItIsUnderItsOwnKeysOnly) {
    ui::Window& w = (this->*GetParam().open)();
    ::SetWindowPos(w.hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    store.saved.clear();
    closeByTitleBar(w);
    const std::wstring left = GetParam().keyOrClass + std::wstring(L"Left");
    const std::wstring top = GetParam().keyOrClass + std::wstring(L"Top");
    const wchar_t* app = left.starts_with(L"SINGLE") ? L"KOV-ALT" : L"KOVALT";
    EXPECT_EQ(std::vector(store.saved.begin(), store.saved.begin() + 2), (std::vector{left, top}));
    for (size_t i = 2; i < store.saved.size(); ++i)  // the settings window also stores its fields
        EXPECT_TRUE(store.saved[i].ends_with(L"BOX")) << test::narrow(store.saved[i]);
    EXPECT_EQ(stored(left.c_str(), app), L"3000");
    EXPECT_EQ(stored(top.c_str(), app), L"2250");
}

TEST_P(ClosingAWindow, ToldWhenTheStoreRefuses) {
    ui::Window& w = (this->*GetParam().open)();
    store.denyWrites = true;
    closeByTitleBar(w);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(L"could not be stored: "), std::wstring::npos) << test::narrow(told[0]);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWindow, ClosingAWindow,
    testing::Values(Row{"strip", &Openers::strip, L"MAIN_"},
                    Row{"settings", &Openers::settingsWindow, L"MAIN_SETTINGS_"},
                    Row{"email_main", &Openers::emailMain, L"EMAIL-MAIN-SETTINGS-"},
                    Row{"email_shared", &Openers::shared, L"SHARED-SETTINGS-"},
                    Row{"viewer", &Openers::viewer, L"SINGLE_OUTPUT_COMMANDS_WINDOW-"},
                    Row{"about", &Openers::about, L"ABOUT_"},
                    Row{"donations", &Openers::donations, L"DONATIONS_WINDOW-"}),
    nameOf);

TEST_P(AButtonOpens, ItsWindowModalOverTheWindowThatHasTheButton) {
    ui::Window& opener = (this->*GetParam().open)();
    HWND owner = nullptr;
    bool openerDisabled = false;
    // The strip's timers go on while a modal window is open: one of them looks at it, closes it.
    ui::Timer watcher(*main, [&] {
        HWND opened = ::FindWindowW(GetParam().keyOrClass, nullptr);
        if (!opened || owner) return;
        owner = ::GetWindow(opened, GW_OWNER);
        openerDisabled = !::IsWindowEnabled(opener.hwnd());
        ::PostMessageW(opened, WM_CLOSE, 0, 0);
    });
    watcher.setInterval(50);
    watcher.setEnabled(true);
    click(opener, GetParam().button);  // returns when the opened window has closed
    EXPECT_EQ(owner, opener.hwnd());
    EXPECT_TRUE(openerDisabled && ::IsWindowEnabled(opener.hwnd()));
    EXPECT_EQ(::FindWindowW(GetParam().keyOrClass, nullptr), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EveryButton, AButtonOpens,
    testing::Values(
        Row{"settings", &Openers::strip, L"KOVALT_SETTINGS", monitor::MainWindow::TLV_BUTTON},
        Row{"email", &Openers::settingsWindow, L"KOVALT_EMAIL_MAIN_SETTINGS",
            SettingsWindow::EMAIL_SETTINGS_BUTTON},
        Row{"viewer", &Openers::settingsWindow, L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW",
            SettingsWindow::VIEW_OUTPUT_COMMANDS_BUTTON},
        Row{"about", &Openers::settingsWindow, L"KOVALT_ABOUT", SettingsWindow::ABOUT_BUTTON},
        Row{"shared", &Openers::emailMain, L"KOVALT_EMAIL_SHARED_SETTINGS",
            EmailMainWindow::SHARED_SETTINGS_BUTTON},
        Row{"viewer_from_email", &Openers::emailMain, L"KOVALT_SINGLE_OUTPUT_COMMANDS_WINDOW",
            EmailMainWindow::VIEW_OUTPUT_COMMANDS_BUTTON},
        Row{"donations", &Openers::about, L"BREVLIN_TALVERO_DONATIONS_WINDOW",
            about::AboutWindow::DONATIONS_BUTTON}),
    nameOf);

// Keys as the user types them, each to the control with the focus, through the modal loop.
constexpr WPARAM kShift = 0x10000;  // with Shift held
struct KeyRow {
    const char* name;
    ui::Window& (Openers::*open)();
    std::vector<WPARAM> keys;
    bool fieldsStored;
    int focused = 0;  // a control given the focus first, as a press dragged off it would
};
struct TheKeyboard : Openers, testing::WithParamInterface<KeyRow> {};

TEST_P(TheKeyboard, EnterPressesTheFocusedButtonElseTheDefaultAndEscCancels) {
    test::makeFolder(program / L"BATS");
    ui::Window& w = (this->*GetParam().open)();
    store.saved.clear();
    const std::vector<WPARAM>& keys = GetParam().keys;
    size_t typed = 0;
    ui::Timer typist(w, [&] {  // after the last key, the title bar's close if still open
        if (typed == 0 && GetParam().focused) ::SetFocus(w.control(GetParam().focused));
        if (typed < keys.size()) {
            BYTE state[256];
            ::GetKeyboardState(state);
            state[VK_SHIFT] = keys[typed] & kShift ? 0x80 : 0;
            ::SetKeyboardState(state);
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, keys[typed] & 0xff, 0);
        }
        if (typed++ == keys.size()) ::PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    });
    typist.setInterval(50);
    typist.setEnabled(true);
    ui::showModal(w, ::GetWindow(w.hwnd(), GW_OWNER));
    EXPECT_EQ(typed, keys.size()) << "the keys closed it";
    EXPECT_EQ(std::ranges::any_of(store.saved, [](auto& k) { return k.ends_with(L"BOX"); }),
              GetParam().fieldsStored);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TheKeyboard,
    testing::Values(
        KeyRow{"enter_on_a_focused_cancel",
               &Openers::emailMain,
               {VK_RETURN},
               false,
               EmailMainWindow::CANCEL_BUTTON},
        // The shared window's tab order ends at Cancel, OK.
        KeyRow{"enter_on_a_focused_ok", &Openers::shared, {kShift | VK_TAB, VK_RETURN}, true},
        KeyRow{"enter_in_a_text_box", &Openers::shared, {VK_TAB, VK_TAB, VK_RETURN}, true},
        KeyRow{"enter_in_the_email_window",
               &Openers::emailMain,
               {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_RETURN},
               true},
        KeyRow{"esc", &Openers::shared, {VK_TAB, VK_TAB, VK_ESCAPE}, false}),
    nameOf);
