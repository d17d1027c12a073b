// kovalt_pictures.exe HANDSHAKE-FILE: shows every window of the program in turn, filled with
// sample values, for scripts/pictures.sh to photograph. For each window it writes
// "<name> <left> <top> <width> <height>" (the outer rectangle on the screen) to HANDSHAKE-FILE
// and waits until the script has deleted that file, then goes on to the next window.
// The settings live under a scratch registry key, deleted at the end; the watched process is a
// copy of this program, started as "wallet-node.exe" in a scratch program folder.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>

#include "about/about_window.h"
#include "app/resource.h"
#include "about/donations_window.h"
#include "email/email_main_window.h"
#include "email/email_shared_window.h"
#include "email/output_commands_window.h"
#include "instance/push_window.h"
#include "instance/settings_window.h"
#include "instance/stuck_window.h"
#include "monitor/instance_watchdog.h"
#include "monitor/main_window.h"
#include "platform/process_query.h"
#include "platform/registry_store.h"
#include "platform/instance_context.h"
#include "platform/win_handles.h"

using namespace kovalt;

namespace {

const std::wstring kRoot = L"C:\\TALVERO-ROOT";
const std::wstring kProgramFolder = kRoot + L"\\KOV-ALT";
const std::wstring kInstance = L"WALLET-WATCH";
const std::wstring kWatched = L"wallet-node.exe";

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Places the window at 20,20 on top, lets it paint, reports its rectangle and waits until the
// picture has been taken; then hides it.
void photograph(const std::wstring& handshake, const char* name, HWND window, HWND focus) {
    ::SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    if (focus) {
        ::SetForegroundWindow(window);
        ::SetFocus(focus);
    }
    ::SetCursorPos(1279, 1023);  // out of the way of every window
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui::pumpMessages(std::chrono::milliseconds(1000));

    RECT r;
    ::GetWindowRect(window, &r);
    char line[128];
    std::snprintf(line, sizeof line, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    const std::wstring temporary = handshake + L".tmp";
    if (FILE* f = _wfopen(temporary.c_str(), L"wb")) {
        std::fputs(line, f);
        std::fclose(f);
    }
    ::MoveFileExW(temporary.c_str(), handshake.c_str(), MOVEFILE_REPLACE_EXISTING);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (exists(handshake) && std::chrono::steady_clock::now() < limit)
        ui::pumpMessages(std::chrono::milliseconds(50));
    ::ShowWindow(window, SW_HIDE);
}

void click(ui::Window& w, int id) { ::SendMessageW(w.control(id), BM_CLICK, 0, 0); }

// The sample values, saved through the settings key table: the instance's own, then its mailer
// fields and the shared ones, in the table's order.
void fillStore(settings::SettingsStore& store) {
    namespace keys = settings::keys;
    const settings::InstanceSettings instance(store, kInstance);
    instance.save(keys::RUNNER_NAME_TEXTBOX, L"Wallet node");
    instance.save(keys::PROCESS_NAME_TEXTBOX, kWatched);
    instance.save(keys::ENABLED_TICKBOX, L"1");
    instance.save(keys::AlwaysOnTop_TICKBOX, L"1");
    instance.save(keys::RESTART_TICKBOX, L"1");
    instance.save(keys::RESTART_COMMAND_TEXTBOX,
                  L"\"C:\\Wallet\\" + std::wstring(kWatched) + L"\" -datadir=D:\\chain");
    instance.save(keys::RESTART_FOLDER_TEXTBOX, L"C:\\Wallet");
    instance.save(keys::REMINDER_MINUTES_TEXTBOX, L"30");
    instance.save(keys::STUCK_FILE_TEXTBOX, L"C:\\Wallet\\debug.log");
    instance.save(keys::STUCK_ADDRESS_TEXTBOX, L"127.0.0.1:8332");
    instance.save(keys::STUCK_CPU_MINUTES_TEXTBOX, L"15");
    instance.save(keys::RESTART_STUCK_TICKBOX, L"1");
    instance.save(keys::PUSH_SERVICE_COMBOBOX, L"ntfy");
    instance.save(keys::PUSH_URL_TEXTBOX, L"https://ntfy.sh/wallet-rigs-7f3k");
    instance.save(keys::HEARTBEAT_URL_TEXTBOX,
                  L"https://hc-ping.com/5b8e2c1a-93d4-4f0e-a7c2-6d1f0b9e4a35");
    const wchar_t* own[] = {L"C:\\TALVERO-ROOT\\SendEmail",
                            L"smtp.example.org:587",
                            L"alerts",
                            L"n0de-Watch!",
                            L"watchdog@example.org",
                            L"owner@example.org",
                            L"night-shift@example.org",
                            L"",
                            L"0",
                            L"0",
                            L"1"};
    const wchar_t* shared[] = {L"C:\\TALVERO-ROOT\\SendEmail",
                               L"smtp.example.org:465",
                               L"watchdog",
                               L"shared-Secret9",
                               L"watchdog@example.org",
                               L"team@example.org",
                               L"",
                               L"archive@example.org",
                               L"0",
                               L"1",
                               L"0"};
    static_assert(std::size(own) == keys::kInstanceEmailFields.size());
    static_assert(std::size(shared) == keys::kSharedEmailFields.size());
    for (size_t i = 0; i < std::size(own); ++i) {
        instance.save(keys::kInstanceEmailFields[i], own[i]);
        instance.save(keys::kSharedEmailFields[i], shared[i]);
    }
}

void showAll(settings::SettingsStore& store, const std::wstring& handshake) {
    const platform::InstanceContext context{
        store,
        [] {
            return platform::ProgramIdentity{kProgramFolder, kInstance};
        },
        platform::checkProcessRunning,
        [](const std::wstring&, platform::StartedScript&) {
            return platform::Result{ERROR_CANCELLED};
        },
        platform::processDetails,
        [](const std::wstring&, const std::wstring&, platform::StartedProgram&) {
            return platform::Result{ERROR_CANCELLED};
        },
        [](HWND, const platform::FileDialogRequest&) { return std::optional<std::wstring>(); },
        [](HWND, const std::wstring&) { return std::optional<std::wstring>(); },
        [](HWND, const std::wstring&) {},
        {IDI_KOVALT, IDI_BROWSE, IDI_FOLDER}};

    // The strip after a real check that found the watched process.
    monitor::InstanceState state;
    monitor::InstanceWatchdog watchdog(context, state);
    monitor::MainWindow main(context, state, *watchdog);
    if (!main.open().ok()) return;
    main.PROCESS_RUNNING_TIMER_Timer();
    photograph(handshake, "main", main.hwnd(), nullptr);
    // It stays on top of everything: out of the way of the others.
    ::SetWindowPos(main.hwnd(), nullptr, 1000, 900, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);

    // Monitoring ticked (from the store) and the alert scripts just written: the light green.
    instance::SettingsWindow settingsWindow(context, state, main, main.hwnd());
    if (!settingsWindow.open().ok()) return;
    settingsWindow.setUpdateLight(ui::colours::kGreen);
    photograph(handshake, "settings", settingsWindow.hwnd(),
               settingsWindow.control(instance::SettingsWindow::OK_BUTTON));

    {
        instance::StuckWindow stuck(context, state, main, settingsWindow.hwnd(),
                                    [] { return true; });
        if (!stuck.open().ok()) return;
        photograph(handshake, "stuck", stuck.hwnd(),
                   stuck.control(instance::StuckWindow::OK_BUTTON));
    }
    {
        instance::PushWindow push(context, main, settingsWindow.hwnd());
        if (!push.open().ok()) return;
        photograph(handshake, "push", push.hwnd(), push.control(instance::PushWindow::OK_BUTTON));
    }

    email::EmailMainWindow emailWindow(context, state, main, settingsWindow.hwnd(), nullptr);
    if (!emailWindow.open().ok()) return;
    emailWindow.COMMAND_UPDATE_TIMER_Timer();
    photograph(handshake, "email-main", emailWindow.hwnd(),
               emailWindow.control(email::EmailMainWindow::OK_BUTTON));

    {
        email::EmailSharedWindow shared(context, emailWindow);
        if (!shared.open().ok()) return;
        photograph(handshake, "email-shared", shared.hwnd(),
                   shared.control(email::EmailSharedWindow::OK_BUTTON));
    }
    {
        email::OutputCommandsWindow commands(context, state, emailWindow.hwnd());
        if (!commands.open().ok()) return;
        click(commands, email::OutputCommandsWindow::START_EMAIL_COMMAND_BUTTON);
        photograph(handshake, "output-commands", commands.hwnd(),
                   commands.control(email::OutputCommandsWindow::OK_BUTTON));
    }

    // Three colour ticks (green, red, cyan), then the cycle held still for the picture.
    about::AboutWindow aboutWindow(context, settingsWindow.hwnd());
    if (!aboutWindow.open().ok()) return;
    for (int n = 1; n <= 3; ++n) aboutWindow.donationButtonTimer(n).fire();
    for (int n = 1; n <= 5; ++n) aboutWindow.donationButtonTimer(n).setEnabled(false);
    photograph(handshake, "about", aboutWindow.hwnd(),
               aboutWindow.control(about::AboutWindow::OK_BUTTON));

    // The appeal at its second colour, held still; the first address double-clicked (marked).
    about::DonationsWindow donations(context, aboutWindow.hwnd());
    if (!donations.open().ok()) return;
    for (int n = 1; n <= 2; ++n) donations.donationTextTimer(n).fire();
    for (int n = 1; n <= 5; ++n) donations.donationTextTimer(n).setEnabled(false);
    HWND address = donations.control(about::DonationsWindow::BTC_DONATION_ADDRESS_TEXTBOX);
    ::ShowWindow(donations.hwnd(), SW_SHOW);
    ::SetForegroundWindow(donations.hwnd());
    ::SetFocus(address);
    ::SendMessageW(address, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    ::SendMessageW(address, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ::HideCaret(address);  // a blinking caret would make every picture differ
    photograph(handshake, "donations", donations.hwnd(), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The watched process: waits until the program that started it has ended.
    if (argc == 3 && std::wstring(argv[1]) == L"--sleep") {
        const platform::UniqueHandle parent(
            ::OpenProcess(SYNCHRONIZE, FALSE, std::wcstoul(argv[2], nullptr, 10)));
        if (parent) ::WaitForSingleObject(parent.get(), 10 * 60 * 1000);
        return 0;
    }
    if (argc != 2) {
        std::fputs("usage: kovalt_pictures HANDSHAKE-FILE\n", stderr);
        return 2;
    }
    platform::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    // The scratch program folder (only what this run made is removed) and the watched copy.
    const bool madeRoot = ::CreateDirectoryW(kRoot.c_str(), nullptr);
    const bool madeFolder = ::CreateDirectoryW(kProgramFolder.c_str(), nullptr);
    const std::wstring watched = kProgramFolder + L"\\" + kWatched;
    wchar_t self[MAX_PATH * 4];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    PROCESS_INFORMATION raw = {};
    STARTUPINFOW startup = {sizeof(startup)};
    std::wstring commandLine =
        L"\"" + watched + L"\" --sleep " + std::to_wstring(::GetCurrentProcessId());
    if (!::CopyFileW(self, watched.c_str(), FALSE) ||
        !::CreateProcessW(watched.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, kProgramFolder.c_str(), &startup, &raw)) {
        std::fprintf(stderr, "cannot start %ls: error %lu\n", watched.c_str(), ::GetLastError());
        return 1;
    }
    platform::ProcessInfo process{platform::UniqueHandle(raw.hProcess),
                                  platform::UniqueHandle(raw.hThread), raw.dwProcessId};
    for (int i = 0; i < 200; ++i) {
        if (platform::checkProcessRunning(kWatched).outcome == platform::ProbeOutcome::Found) break;
        ::Sleep(100);
    }

    const std::wstring scratchKey =
        L"Software\\KovaltPictures\\" + std::to_wstring(::GetCurrentProcessId());
    {
        platform::RegistryStore store(scratchKey);
        fillStore(store);
        showAll(store, argv[1]);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, scratchKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KovaltPictures");  // only when empty

    ::TerminateProcess(process.process.get(), 0);
    ::WaitForSingleObject(process.process.get(), 10000);
    process = {};  // its handles closed, so its file can go
    // The ended process's file may stay in use for a moment.
    for (int i = 0; i < 50 && exists(watched); ++i) {
        if (!::DeleteFileW(watched.c_str())) ::Sleep(100);
    }
    for (int i = 0; madeFolder && i < 50 && !::RemoveDirectoryW(kProgramFolder.c_str()); ++i)
        ::Sleep(100);
    if (madeRoot) ::RemoveDirectoryW(kRoot.c_str());
    if (exists(kProgramFolder) && madeFolder)
        std::fprintf(stderr, "could not remove %ls: error %lu\n", kProgramFolder.c_str(),
                     ::GetLastError());
    return 0;
}
