// Probe cost: the shipped WMI probe against a Toolhelp snapshot scan and against starting
// tasklist, all three asked about the same running process, interleaved in one run.
//
//   kovalt_bench_probe [probe calls = 300] [tasklist runs = 60]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/process_query.h"
#include "platform/win_handles.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

std::wstring systemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

// tasklist.exe started directly, its output going to `output` (NUL for the timed runs), waited
// for. Returns the exit code, or -1 when it could not be started.
long runTasklist(const std::wstring& name, const std::wstring& output) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherit, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return -1;
    const std::wstring exe = systemFolder() + L"\\tasklist.exe";
    std::wstring commandLine = L"\"" + exe + L"\" /FI \"IMAGENAME eq " + name + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION raw = {};
    long code = -1;
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &raw)) {
        ::WaitForSingleObject(raw.hProcess, INFINITE);
        DWORD exit = 0;
        ::GetExitCodeProcess(raw.hProcess, &exit);
        code = static_cast<long>(exit);
        ::CloseHandle(raw.hThread);
        ::CloseHandle(raw.hProcess);
    }
    ::CloseHandle(out);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int calls = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 300;
    const int tasklistRuns = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 60;
    platform::ComInit com;

    ScratchFolder folder(L"kovalt bench probe");
    const std::wstring name = L"kvbench-probe-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    if (!copySleeper(folder.path(), name)) return 1;
    Process watched = Process::start(folder / name, L"", folder.path(), CREATE_NO_WINDOW);
    if (!watched.running() || !waitForProcessCount(name, true)) {
        std::fprintf(stderr, "the watched process did not start\n");
        return 1;
    }

    // What this Wine's tasklist does with the filter: one run with its output kept.
    const std::wstring sample = folder / L"tasklist output.txt";
    const long sampleCode = runTasklist(name, sample);
    const std::string sampleText = readFile(sample);
    const bool namesWatched = sampleText.find(narrow(name)) != std::string::npos;
    const bool listsOthers = sampleText.find("services.exe") != std::string::npos;

    // Warm-up: the first WMI call loads its modules, the first process start fills caches.
    for (int i = 0; i < 10; ++i) {
        platform::checkProcessRunning(name);
        toolhelpCount(name);
    }
    for (int i = 0; i < 3; ++i) runTasklist(name, L"NUL");

    std::vector<double> probeMs, toolhelpMs, tasklistMs;
    probeMs.reserve(calls);
    toolhelpMs.reserve(calls);
    int probeMisses = 0, toolhelpMisses = 0, tasklistFailures = 0;
    const int tasklistEvery = tasklistRuns > 0 ? std::max(1, calls / tasklistRuns) : 0;
    for (int i = 0; i < calls; ++i) {
        double t = nowMs();
        const monitor::ProbeResult r = platform::checkProcessRunning(name);
        probeMs.push_back(nowMs() - t);
        if (r.outcome != monitor::ProbeOutcome::Found) ++probeMisses;

        t = nowMs();
        const unsigned n = toolhelpCount(name);
        toolhelpMs.push_back(nowMs() - t);
        if (n == 0) ++toolhelpMisses;

        if (tasklistEvery && i % tasklistEvery == 0 &&
            static_cast<int>(tasklistMs.size()) < tasklistRuns) {
            t = nowMs();
            const long code = runTasklist(name, L"NUL");
            tasklistMs.push_back(nowMs() - t);
            if (code != 0) ++tasklistFailures;
        }
    }
    watched.kill();

    const Stats probe = statsOf(probeMs), toolhelp = statsOf(toolhelpMs),
                tasklist = statsOf(tasklistMs);
    const double probeOverToolhelp = probe.median / toolhelp.median;
    const double tasklistOverProbe = tasklist.median / probe.median;

    std::printf("## 1. Probe cost\n\n");
    std::printf(
        "One process, one running watched process (a copy of the sleeper helper), the three ways "
        "interleaved call by call after a warm-up (10 probes and scans, 3 tasklist runs, not "
        "counted).\n\n");
    std::printf("| Way of asking | Median | Min | Max | Calls | Wrong answers |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    std::printf("| `checkProcessRunning` (WMI, locator bound anew each call) | %s ms | %s ms | %s ms "
                "| %zu | %d |\n",
                fixed(probe.median).c_str(), fixed(probe.min).c_str(), fixed(probe.max).c_str(),
                probe.count, probeMisses);
    std::printf("| Toolhelp32 snapshot + Process32FirstW/NextW, case-insensitive compare | %s ms | "
                "%s ms | %s ms | %zu | %d |\n",
                fixed(toolhelp.median).c_str(), fixed(toolhelp.min).c_str(),
                fixed(toolhelp.max).c_str(), toolhelp.count, toolhelpMisses);
    std::printf("| `tasklist.exe /FI \"IMAGENAME eq <name>\"` started, output to NUL, waited for | "
                "%s ms | %s ms | %s ms | %zu | %d non-zero exits |\n\n",
                fixed(tasklist.median).c_str(), fixed(tasklist.min).c_str(),
                fixed(tasklist.max).c_str(), tasklist.count, tasklistFailures);
    std::printf("- probe / toolhelp (medians): **%s**\n", fixed(probeOverToolhelp, 2).c_str());
    std::printf("- tasklist / probe (medians): **%s**\n\n", fixed(tasklistOverProbe, 2).c_str());
    std::printf("What tasklist did here: one run with its output kept wrote %zu bytes, exit code "
                "%ld; the output %s the watched name and %s other processes.",
                sampleText.size(), sampleCode, namesWatched ? "names" : "does not name",
                listsOthers ? "lists" : "lists no");
    if (sampleText.empty())
        std::printf(" This Wine's tasklist.exe prints nothing at all: it does not list processes, "
                    "so /FI is not applied and its figure is the cost of starting a small "
                    "program and waiting for it to end, not of a real process listing.");
    else if (!namesWatched || listsOthers)
        std::printf(" The filter does not behave as on Windows here.");
    std::printf("\n\n");

    std::printf("@summary | 1. Probe cost | probe %s ms, toolhelp %s ms, tasklist %s ms (medians); "
                "probe/toolhelp %s, tasklist/probe %s | - | - |\n",
                fixed(probe.median).c_str(), fixed(toolhelp.median).c_str(),
                fixed(tasklist.median).c_str(), fixed(probeOverToolhelp, 2).c_str(),
                fixed(tasklistOverProbe, 2).c_str());
    return probeMisses || toolhelpMisses ? 2 : 0;
}
