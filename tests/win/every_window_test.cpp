// What holds for every window: where it opens from, what its closing stores, and that at its
// default size (at 100 % and 150 %) every control it shows lies in it, apart from the others.
#include "about/about_window.h"
#include "about/donations_window.h"
#include "instance/push_window.h"
#include "instance/stuck_window.h"
#include "email/email_shared_window.h"
#include "email/output_commands_window.h"
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
                    Row{"push", &Openers::settingsWindow, SettingsWindow::PUSH_SETTINGS_BUTTON,
                        L"KOVALT_PUSH_SETTINGS", L"PUSH_SETTINGS_"},
                    Row{"shared", &Openers::email, EmailMainWindow::SHARED_SETTINGS_BUTTON,
                        L"KOVALT_EMAIL_SHARED_SETTINGS", L"SHARED-SETTINGS-"},
                    Row{"donations", &Openers::about, about::AboutWindow::DONATIONS_BUTTON,
                        L"BREVLIN_TALVERO_DONATIONS_WINDOW", L"DONATIONS_WINDOW-"}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {
// A label whose words, wrapped as it wraps them in its font, need more lines than it is high.
bool textCutOff(HWND c) {
    wchar_t kind[16] = {};
    ::GetClassNameW(c, kind, 16);
    const std::wstring text = ui::Window::controlText(c);
    if (std::wstring_view(kind) != L"Static" || text.empty()) return false;
    RECT box, need;
    ::GetClientRect(c, &box);
    need = box;
    HDC dc = ::GetDC(c);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(c, dc);
    return need.bottom > box.bottom || need.right > box.right;
}

// What breaks a window's layout: a control it shows outside its client area, a label cut off, or
// two that overlap, but for a group box around its tick boxes, a box without text put behind a
// button as its frame, and the controls `below` meant to lie below what the window shows.
std::vector<std::string> layoutFaults(const ui::Window& w, std::initializer_list<int> below = {}) {
    RECT client;
    ::GetClientRect(w.hwnd(), &client);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND c = ::GetWindow(w.hwnd(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(c) || std::ranges::count(below, ::GetDlgCtrlID(c))) continue;
        RECT r;
        ::GetWindowRect(c, &r);
        ::MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        shown.emplace_back(c, r);
    }
    const auto named = [](HWND c) {
        return std::to_string(::GetDlgCtrlID(c)) + " \"" +
               test::narrow(ui::Window::controlText(c)) + "\"";
    };
    const auto holds = [](HWND outer, const RECT& o, const RECT& inner) {
        const bool group = (::GetWindowLongW(outer, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        RECT both;
        return (group || ::GetWindowTextLengthW(outer) == 0) &&
               ::IntersectRect(&both, &o, &inner) && ::EqualRect(&both, &inner);
    };
    std::vector<std::string> faults;
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto& [c, r] = shown[i];
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            faults.push_back(named(c) + " lies outside the window");
        if (textCutOff(c)) faults.push_back(named(c) + " is cut off");
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const auto& [d, q] = shown[j];
            RECT both;
            if (::IntersectRect(&both, &r, &q) && !holds(c, r, q) && !holds(d, q, r))
                faults.push_back(named(c) + " overlaps " + named(d));
        }
    }
    return faults;
}
using EveryWindowLayout = Openers;
}  // namespace

TEST_F(EveryWindowLayout, AtItsDefaultSizeEveryControlLiesInTheWindowApartFromTheOthers) {
    const bool child = ::GetEnvironmentVariableW(L"KOVALT_LAYOUT_DPI", nullptr, 0) > 0;
    std::vector<std::pair<const char*, std::vector<std::string>>> windows;
    windows.emplace_back("strip", layoutFaults(strip()));
    windows.emplace_back("settings", layoutFaults(settingsWindow()));
    windows.emplace_back("e-mail", layoutFaults(email()));
    windows.emplace_back(
        "shared", layoutFaults(*test::opened<email::EmailSharedWindow>(context, *emailMain)));
    windows.emplace_back("viewer", layoutFaults(*test::opened<email::OutputCommandsWindow>(
                                       context, state, main->hwnd())));
    windows.emplace_back("stuck", layoutFaults(*test::opened<instance::StuckWindow>(
                                      context, state, *main, main->hwnd(), [] { return true; })));
    windows.emplace_back(
        "push", layoutFaults(*test::opened<instance::PushWindow>(context, *main, main->hwnd())));
    windows.emplace_back("about", layoutFaults(about()));
    windows.emplace_back(
        "donations", layoutFaults(*test::opened<about::DonationsWindow>(context, window->hwnd()),
                                  {about::DonationsWindow::DOUBLE_CLICK_MESSAGE_TEXTBOX}));
    for (const auto& [name, faults] : windows)
        for (const std::string& fault : faults)
            ADD_FAILURE() << name << " at " << main->dpi() << " DPI: " << fault;
    if (child) return;
    // Again at 150 %: Windows reads the DPI when a program starts, so in a copy of this test.
    const wchar_t* desktop = L"Control Panel\\Desktop";
    DWORD before = 0, size = sizeof(before);
    const bool had = ::RegGetValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", RRF_RT_REG_DWORD,
                                    nullptr, &before, &size) == ERROR_SUCCESS;
    const DWORD dpi = 144;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    ::SetEnvironmentVariableW(L"KOVALT_LAYOUT_DPI", L"144");
    std::wstring command =
        L"\"" + platform::currentExecutable() + L"\" --gtest_filter=EveryWindowLayout.*";
    platform::StartedProgram copy;
    ASSERT_TRUE(platform::startProgram(command, L"", copy).ok());
    ::WaitForSingleObject(copy.process.get(), 120000);
    DWORD code = 1;
    ::GetExitCodeProcess(copy.process.get(), &code);
    if (had)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &before, size);
    else
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
    ::SetEnvironmentVariableW(L"KOVALT_LAYOUT_DPI", nullptr);
    EXPECT_EQ(code, 0u) << "at 144 DPI (its output is above)";
}
