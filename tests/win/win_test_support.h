// What the tests under Wine (or Windows) share: one instance in a scratch program folder with a
// scratch settings key, helper processes to watch, and message pumping while waiting.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "email/email_main_window.h"
#include "instance/settings_window.h"
#include "monitor/instance_watchdog.h"
#include "monitor/main_window.h"
#include "platform/registry_store.h"
#include "tests/support/scratch.h"

using namespace std::chrono_literals;

namespace kovalt::test {

// A store on a scratch key under HKCU, removed at the end, that lists the keys saved in order
// and can refuse writes, as a key the user may not write to.
struct ScratchStore final : settings::SettingsStore {
    platform::RegistryStore registry{L"Software\\KovaltTests\\" + uniqueSuffix()};
    std::vector<std::wstring> saved, refusedKeys;  // refused: those keys only
    bool denyWrites = false;

    ~ScratchStore() override;
    settings::ReadResult read(std::wstring_view a, std::wstring_view s,
                              std::wstring_view k) override {
        return registry.read(a, s, k);
    }
    platform::Result save(std::wstring_view a, std::wstring_view s, std::wstring_view k,
                          std::wstring_view v) override {
        saved.emplace_back(k);
        const bool refused = denyWrites || std::ranges::find(refusedKeys, k) != refusedKeys.end();
        return refused ? platform::Result{ERROR_ACCESS_DENIED} : registry.save(a, s, k, v);
    }
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s);
bool waitForCount(const std::wstring& name, unsigned count);  // as the real query counts
std::wstring helperProgram(const wchar_t* name);              // built beside the tests
inline std::string narrow(const std::wstring& text) { return platform::toAnsi(text).value_or("?"); }

// One instance "WATCH1": the real probe unless the test sets one, the real script start with
// every start recorded, and dialogs that answer what the test says (messages are recorded).
struct Instance : testing::Test {
    ScratchStore store;
    ScratchFolder program{L"kovalt program"};
    std::wstring programFolder = program.path(), instanceName = L"WATCH1";
    std::vector<std::wstring> started;
    std::function<platform::ProbeResult(const std::wstring&)> probe;
    std::optional<std::wstring> fileAnswer;
    std::vector<std::wstring> told;     // the messages the program had to tell
    platform::InstanceContext context;  // the real probe and script start, recorded
    // Windows opened as the program opens them, each over the one before, with the instance's
    // state and watchdog.
    monitor::InstanceState state;
    std::unique_ptr<monitor::InstanceWatchdog> watchdog;
    std::unique_ptr<monitor::MainWindow> main;
    std::unique_ptr<instance::SettingsWindow> settings;
    std::unique_ptr<email::EmailMainWindow> emailMain;

    Instance();

    void seed(std::initializer_list<std::pair<const wchar_t*, std::wstring>> values);
    std::optional<std::wstring> stored(const wchar_t* key, const wchar_t* app = L"KOVALT");
    monitor::MainWindow& makeMain();  // a new strip, not yet opened
    monitor::MainWindow& openMain();
    instance::SettingsWindow& openSettings();        // over a new strip
    email::EmailMainWindow& openEmailMain();         // over a new settings window
    std::wstring script(const wchar_t* kind) const;  // "RUNNING" or "STOPPED"
    std::wstring light() const;                      // what the strip's run light reads
    std::wstring lightTip() const;                   // and its tooltip
    // A copy of the sleeper named "<stem> <unique>.exe" in the program folder, started as a
    // restart would start it, for `seconds`; its path once listed, empty if it did not start.
    std::wstring runSleeperCopy(const wchar_t* stem, const wchar_t* seconds,
                                platform::StartedProgram& running);
};

// A window created with its load and shown, as its opener would show it.
template <typename W, typename... Args>
std::unique_ptr<W> opened(Args&&... args) {
    auto w = std::make_unique<W>(std::forward<Args>(args)...);
    EXPECT_TRUE(w->open().ok());
    ::ShowWindow(w->hwnd(), SW_SHOW);
    return w;
}

}  // namespace kovalt::test

namespace kovalt::ui {
// The tests' view of what a window's control is painted with and of its tooltip.
struct WindowTestAccess {
    static ControlColors colours(const Window& w, int id) {
        const ControlColors* painted = w.colorsOf(w.control(id));
        return painted ? *painted : ControlColors{};
    }
    static std::wstring tooltip(const Window& w, int id) { return w.tooltip(w.control(id)); }
};
}  // namespace kovalt::ui

// A user's click on a button or tick box; a key pressed on a control, as the modal loop hands
// it to the dialog keyboard handling.
inline void click(const kovalt::ui::Window& w, int id) {
    ::SendMessageW(w.control(id), BM_CLICK, 0, 0);
}
inline void press(const kovalt::ui::Window& w, int id, WPARAM key) {
    ::SetFocus(w.control(id));
    MSG msg = {::GetFocus(), WM_KEYDOWN, key, 0};
    ::IsDialogMessageW(w.hwnd(), &msg);
}
