// What the benchmark programs share. Each prints its figures for BENCHMARKS.md as Markdown on
// standard output; a line that begins with "@summary " is its row of the overview table.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "app/resource.h"
#include "monitor/alert_paths.h"
#include "monitor/instance_watchdog.h"  // with the context, the probe and the handle owners
#include "monitor/main_window.h"
#include "platform/files.h"
#include "platform/registry_store.h"
#include "tests/support/scratch.h"

namespace kovalt::bench {

using platform::ProcessInfo;
using platform::UniqueHandle;
using namespace kovalt::test;  // scratch folders and files, unique names

inline std::wstring builtProgram(const std::wstring& relative) {
    return platform::currentProgram().folder + L"\\" + relative;
}

struct Arguments {  // numbers by position, and the program measured
    int argc;
    wchar_t** argv;
    double operator()(int i, double fallback) const {
        return argc > i ? std::wcstod(argv[i], nullptr) : fallback;
    }
    std::wstring kovalt(int i) const {
        return argc > i ? argv[i] : builtProgram(L"..\\kovalt.exe");
    }
};

inline int fail(const char* why) { return std::fprintf(stderr, "%s\n", why), 1; }

inline std::string ansi(const std::wstring& text) { return platform::toAnsi(text).value_or("?"); }

// QueryPerformanceCounter: the same counter in every process of the machine.
inline long long counterNow() {
    LARGE_INTEGER v;
    ::QueryPerformanceCounter(&v);
    return v.QuadPart;
}
inline double countsToMs(long long counts) {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counts) / static_cast<double>(frequency.QuadPart);
}
inline double nowMs() { return countsToMs(counterNow()); }
template <typename Fn>
double timed(Fn&& call) {
    const double start = nowMs();
    call();
    return nowMs() - start;
}

struct Stats {  // of a list of times
    size_t count = 0;
    double median = 0, min = 0, max = 0;
};
inline Stats statsOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (n == 0) return {};
    return {n, n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

// "| <first> | Median | Min | Max | <last> |", a row for each entry.
inline void printTimes(const char* first, const char* last,
                       std::initializer_list<std::pair<const char*, Stats>> rows, int decimals) {
    std::printf("| %s | Median | Min | Max | %s |\n|---|---:|---:|---:|---:|\n", first, last);
    for (const auto& [what, s] : rows)
        std::printf("| %s | %.*f ms | %.*f ms | %.*f ms | %zu |\n", what, decimals, s.median,
                    decimals, s.min, decimals, s.max, s.count);
}

inline bool copyPrograms(std::initializer_list<std::pair<std::wstring, std::wstring>> copies) {
    for (const auto& [from, to] : copies) {
        if (::CopyFileW(from.c_str(), to.c_str(), FALSE)) continue;
        std::fprintf(stderr, "cannot copy %ls to %ls: error %lu\n", from.c_str(), to.c_str(),
                     ::GetLastError());
        return false;
    }
    return true;
}

// CreateProcess in the program's folder, output and errors to `output` when given.
inline ProcessInfo startProcess(const std::wstring& exe, const std::wstring& arguments = L"",
                                DWORD flags = 0, HANDLE output = nullptr) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {sizeof(startup)};
    startup.dwFlags = output ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION raw = {};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, output != nullptr,
                          flags, nullptr, platform::identityFromPath(exe).folder.c_str(), &startup,
                          &raw)) {
        std::fprintf(stderr, "cannot start %ls: error %lu\n", exe.c_str(), ::GetLastError());
        return {};
    }
    return {UniqueHandle(raw.hProcess), UniqueHandle(raw.hThread), raw.dwProcessId};
}
inline bool running(const ProcessInfo& p) {
    return p.process && ::WaitForSingleObject(p.process.get(), 0) == WAIT_TIMEOUT;
}
inline void stop(ProcessInfo& p) {  // TerminateProcess, and waits until it has ended
    if (p.process && ::TerminateProcess(p.process.get(), 0))
        ::WaitForSingleObject(p.process.get(), 10000);
    p = {};
}

inline unsigned toolhelpCount(const std::wstring& exeName) {
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    unsigned count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        count +=
            ::CompareStringOrdinal(entry.szExeFile, -1, exeName.c_str(), -1, TRUE) == CSTR_EQUAL;
    return count;
}
inline bool waitForProcess(const std::wstring& exeName, bool present = true) {
    const ULONGLONG end = ::GetTickCount64() + 10000;
    while ((toolhelpCount(exeName) > 0) != present && ::GetTickCount64() < end) ::Sleep(20);
    return (toolhelpCount(exeName) > 0) == present;
}

// The tests' sleeper, which waits until it is killed, is the watched process, copied under the
// name to watch; startWatched waits until the process list shows it.
inline std::wstring sleeper() { return builtProgram(L"..\\tests\\win\\kovalt_test_sleeper.exe"); }
inline ProcessInfo startWatched(const std::wstring& folder, const std::wstring& name) {
    ProcessInfo p = startProcess(folder + L"\\" + name, L"", CREATE_NO_WINDOW);
    if (!running(p) || !waitForProcess(name)) stop(p);
    return p;
}

// An instance's settings section, where a copy of kovalt.exe named after it reads them; removed
// at the end.
struct ScratchInstance {
    ScratchInstance(std::wstring instanceName, const std::wstring& watched, bool monitoring = true)
        : name(std::move(instanceName)) {
        section.save(settings::keys::PROCESS_NAME_TEXTBOX, watched);
        section.save(settings::keys::ENABLED_TICKBOX, monitoring ? L"1" : L"0");
        section.save(settings::keys::AlwaysOnTop_TICKBOX, L"0");
    }
    ~ScratchInstance() {
        const std::wstring key =
            store.root() + L"\\" + std::wstring(settings::kMainApp) + L"\\" + name;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());  // leaves the key itself
        ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    }
    const std::wstring name;
    platform::RegistryStore store;
    const settings::InstanceSettings section{store, name};
};

// The real strip (MainWindow) in this process, its BATS scripts each appending a line to a file
// of their own and the mailer's word of success to its log. Its timers never fire: the benchmark
// runs the handler of the monitor's that is on, and of the alerts' once a second.
struct StripUnderTest {
    StripUnderTest(const std::wstring& label, decltype(platform::InstanceContext::probe) probe)
        : folder(L"kovalt bench " + label),
          watchedName(L"kvbench-" + label + L"-" + uniqueSuffix() + L".exe"),
          instance(L"KVBENCH-" + label + L"-" + uniqueSuffix(), watchedName),
          context(platform::realContext(instance.store, {IDI_KOVALT, IDI_BROWSE, IDI_FOLDER})) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        context.identity = [this] {
            return platform::ProgramIdentity{folder.path(), instance.name};
        };
        context.probe = std::move(probe);
        // The soak changes the watched process far more often than the cap on alerts at once
        // lets through in 10 minutes; with 1 s every change is mailed, as before the cap.
        instance.section.save(settings::keys::ALERT_LIMIT_WINDOW_SECONDS, L"1");
        watchdog = std::make_unique<monitor::InstanceWatchdog>(context, state);
        window = std::make_unique<monitor::MainWindow>(context, state, **watchdog);
        test::makeFolder(folder / L"BATS");
        test::makeFolder(folder / L"LOGS");
        copyPrograms({{sleeper(), folder / watchedName}});
        const std::string log = ansi(monitor::mailerLogPath(folder.path(), instance.name));
        for (const wchar_t* kind : {L"STOPPED", L"RUNNING"})
            test::writeFile(
                folder / (L"BATS\\" + instance.name + L"-PROCESS-" + kind + L"-EMAIL.bat"),
                "@echo " + ansi(kind) + ">>\"%~dp0" + ansi(kind) +
                    ".txt\"\r\n@echo Email was sent successfully>>\"" + log + "\"\r\n");
    }
    ~StripUnderTest() { stop(watched); }

    bool open() {
        const bool opened = window->open().ok();
        pumpExceptTimers();
        return opened;
    }
    bool startWatched() {
        return running(watched = bench::startWatched(folder.path(), watchedName));
    }
    void stopWatched() {
        stop(watched);
        waitForProcess(watchedName, false);
    }
    void tick() {  // of the monitor's timer that is on
        using enum monitor::MonitorTimer;
        (**watchdog).monitorTick(window->processStoppedTimer().enabled() ? Stopped : Running);
    }
    void alerts() {
        if (nowMs() - alertsMs < 1000) return;
        alertsMs = nowMs();
        window->ALERT_TIMER_Timer();
    }
    void paint() {  // the repaint the tick causes, as the message loop would make it next
        ::RedrawWindow(window->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpExceptTimers();
    }
    std::wstring runLightText() const {
        wchar_t text[64] = {};
        return {text, static_cast<size_t>(::GetWindowTextW(window->runLight(), text, 64))};
    }
    int scriptRuns(const wchar_t* kind) const {
        const std::string text = readFile(folder / (L"BATS\\" + std::wstring(kind) + L".txt"));
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    static void pumpExceptTimers() {  // this thread's queued messages but WM_TIMER
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
               ::PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    platform::ComInit com;  // for the probe, which needs COM on the calling thread
    ScratchFolder folder;
    const std::wstring watchedName;
    ScratchInstance instance;
    platform::InstanceContext context;  // the strip holds on to it
    ProcessInfo watched;
    monitor::InstanceState state;
    std::unique_ptr<monitor::InstanceWatchdog> watchdog;
    std::unique_ptr<monitor::MainWindow> window;
    double alertsMs = 0;
};

// A process's memory as any program may read it: GetProcessMemoryInfo, and its committed memory
// from VirtualQueryEx, its own (MEM_PRIVATE) and the writable pages of the images mapped into it,
// which become private only when written. -1 for what could not be read.
struct Memory {
    long long privateUsage = -1, pagefile = -1, workingSet = -1, own = -1, writableImages = -1;
    long long privateBytes() const {  // PrivateUsage, else its upper bound
        return privateUsage > 0 ? privateUsage : own + writableImages;
    }
};
inline Memory memoryOf(HANDLE process) {
    Memory m;
    PROCESS_MEMORY_COUNTERS_EX c = {};
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c),
                               sizeof(c))) {
        m.privateUsage = static_cast<long long>(c.PrivateUsage);
        m.pagefile = static_cast<long long>(c.PagefileUsage);
        m.workingSet = static_cast<long long>(c.WorkingSetSize);
    }
    const DWORD writable =
        PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    MEMORY_BASIC_INFORMATION region;
    long long own = 0, images = 0;
    for (auto* address = static_cast<BYTE*>(system.lpMinimumApplicationAddress);
         address < system.lpMaximumApplicationAddress &&
         ::VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT) continue;
        if (region.Type == MEM_PRIVATE) own += static_cast<long long>(region.RegionSize);
        if (region.Type == MEM_IMAGE && (region.Protect & writable))
            images += static_cast<long long>(region.RegionSize);
    }
    if (own > 0) {
        m.own = own;
        m.writableImages = images;
    }
    return m;
}

}  // namespace kovalt::bench
