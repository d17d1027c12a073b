// Probe cost: the shipped WMI probe against a Toolhelp snapshot scan and against starting
// tasklist, all three asked about the same running process, interleaved in one run.
//
//   kovalt_bench_probe [probe calls = 300] [tasklist runs = 60]
#include "bench/bench.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

// tasklist.exe started directly, its output going to `output` (NUL for the timed runs), waited
// for. Returns the exit code, or -1 when it could not be started.
long runTasklist(const std::wstring& name, const std::wstring& output) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const UniqueHandle out(::CreateFileW(output.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                         CREATE_ALWAYS, 0, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) return -1;
    wchar_t system[MAX_PATH];
    const ProcessInfo p = startProcess(
        std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\tasklist.exe",
        L"/FI \"IMAGENAME eq " + name + L"\"", CREATE_NO_WINDOW, out.get());
    DWORD exit = 0;
    if (!p.process || ::WaitForSingleObject(p.process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(p.process.get(), &exit))
        return -1;
    return static_cast<long>(exit);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int calls = arg(1, 300), tasklistRuns = arg(2, 60);
    platform::ComInit com;

    ScratchFolder folder(L"kovalt bench probe");
    const std::wstring name = L"kvbench-probe-" + uniqueSuffix() + L".exe";
    if (!copyPrograms({{sleeper(), folder / name}})) return 1;
    ProcessInfo watched = startWatched(folder.path(), name);
    if (!watched.process) return fail("the watched process did not start");

    // What this Wine's tasklist does with the filter: one run with its output kept.
    const long sampleCode = runTasklist(name, folder / L"tasklist output.txt");
    const std::string sampleText = readFile(folder / L"tasklist output.txt");
    const bool namesWatched = sampleText.find(ansi(name)) != std::string::npos;
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
        platform::ProbeResult r;
        probeMs.push_back(timed([&] { r = platform::checkProcessRunning(name); }));
        probeMisses += r.outcome != platform::ProbeOutcome::Found;
        unsigned n = 0;
        toolhelpMs.push_back(timed([&] { n = toolhelpCount(name); }));
        toolhelpMisses += n == 0;
        if (tasklistEvery && i % tasklistEvery == 0 && int(tasklistMs.size()) < tasklistRuns) {
            long code = 0;
            tasklistMs.push_back(timed([&] { code = runTasklist(name, L"NUL"); }));
            tasklistFailures += code != 0;
        }
    }
    stop(watched);

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
    const char* row = "| %s | %.3f ms | %.3f ms | %.3f ms | %zu | %d%s |\n";
    std::printf(row, "`checkProcessRunning` (WMI, locator bound anew each call)", probe.median,
                probe.min, probe.max, probe.count, probeMisses, "");
    std::printf(row, "Toolhelp32 snapshot + Process32FirstW/NextW, case-insensitive compare",
                toolhelp.median, toolhelp.min, toolhelp.max, toolhelp.count, toolhelpMisses, "");
    std::printf(row,
                "`tasklist.exe /FI \"IMAGENAME eq <name>\"` started, output to NUL, waited for",
                tasklist.median, tasklist.min, tasklist.max, tasklist.count, tasklistFailures,
                " non-zero exits");
    std::printf("\n- probe / toolhelp (medians): **%.2f**\n", probeOverToolhelp);
    std::printf("- tasklist / probe (medians): **%.2f**\n\n", tasklistOverProbe);
    std::printf(
        "What tasklist did here: one run with its output kept wrote %zu bytes, exit code "
        "%ld; the output %s the watched name and %s other processes.",
        sampleText.size(), sampleCode, namesWatched ? "names" : "does not name",
        listsOthers ? "lists" : "lists no");
    if (sampleText.empty())
        std::printf(
            " This Wine's tasklist.exe prints nothing at all: it does not list processes, "
            "so /FI is not applied and its figure is the cost of starting a small "
            "program and waiting for it to end, not of a real process listing.");
    else if (!namesWatched || listsOthers)
        std::printf(" The filter does not behave as on Windows here.");

    std::printf(
        "\n\n@summary | 1. Probe cost | probe %.3f ms, toolhelp %.3f ms, tasklist %.3f ms "
        "(medians); probe/toolhelp %.2f, tasklist/probe %.2f | - | - |\n",
        probe.median, toolhelp.median, tasklist.median, probeOverToolhelp, tasklistOverProbe);
    return probeMisses || toolhelpMisses ? 2 : 0;
}
