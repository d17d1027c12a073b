// Probe cost and tick overhead, round by round in one run: the WMI probe against a Toolhelp scan
// and a started tasklist, and the real strip's tick against the probe alone and against a tick
// whose probe is a stand-in. bench/sections.md says how each section measures.
//
//   kovalt_bench_probe [rounds = 300] [tasklist runs = 60]
#include "bench/bench.h"
#include "monitor/metrics_text.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

// tasklist.exe with its output to `output` (NUL for the timed runs), waited for: its exit code,
// or -1 when it could not be started.
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
    const int rounds = arg(1, 300), tasklistRuns = arg(2, 60);
    StripUnderTest real(L"probe", platform::checkProcessRunning);
    StripUnderTest standIn(L"probe-stand-in", [](const std::wstring&, bool) {
        return platform::ProbeResult{platform::ProbeOutcome::Found, 1, {}};
    });
    if (!real.startWatched() || !real.open() || !standIn.open())
        return fail("the strips could not be set up");
    const std::wstring& name = real.watchedName;
    const long sampleCode = runTasklist(name, real.folder / L"tasklist output.txt");
    const std::string sample = readFile(real.folder / L"tasklist output.txt");

    // Warm-up: WMI loads its modules, the brushes and tooltip are made, process starts fill caches.
    for (int i = 0; i < 10; ++i) {
        platform::checkProcessRunning(name);
        toolhelpCount(name);
        for (StripUnderTest* strip : {&real, &standIn}) strip->tick(), strip->paint();
    }
    for (int i = 0; i < 3; ++i) runTasklist(name, L"NUL");

    std::vector<double> probeMs, tickMs, differenceMs, paintMs, restMs, restPaintMs, toolhelpMs,
        tasklistMs, metricsMs;
    const std::string metrics = monitor::metricsText({L"KVBENCH", name, L"", L"1.0.0", "running"});
    int probeMisses = 0, toolhelpMisses = 0, tasklistFailures = 0, wrongLooks = 0;
    const int tasklistEvery = tasklistRuns > 0 ? std::max(1, rounds / tasklistRuns) : 0;
    for (int i = 0; i < rounds; ++i) {
        double probeTime = 0, tickTime = 0;
        for (int side = 0; side < 2; ++side) {  // which goes first flips each round
            if ((side == 0) == (i % 2 == 0)) {
                platform::ProbeResult r;
                probeTime = timed([&] { r = platform::checkProcessRunning(name); });
                probeMisses += r.outcome != platform::ProbeOutcome::Found;
            } else {
                tickTime = timed([&] { real.tick(); });
                paintMs.push_back(timed([&] { real.paint(); }));
                wrongLooks += real.runLightText() != L"RUNNING";
            }
        }
        probeMs.push_back(probeTime);
        tickMs.push_back(tickTime);
        differenceMs.push_back(tickTime - probeTime);
        restMs.push_back(timed([&] { standIn.tick(); }));
        restPaintMs.push_back(timed([&] { standIn.paint(); }));
        metricsMs.push_back(
            timed([&] { platform::replaceFile(real.folder / L"m.prom", metrics); }));
        unsigned n = 0;
        toolhelpMs.push_back(timed([&] { n = toolhelpCount(name); }));
        toolhelpMisses += n == 0;
        if (tasklistEvery && i % tasklistEvery == 0 && int(tasklistMs.size()) < tasklistRuns) {
            long code = 0;
            tasklistMs.push_back(timed([&] { code = runTasklist(name, L"NUL"); }));
            tasklistFailures += code != 0;
        }
    }

    const Stats probe = statsOf(probeMs), toolhelp = statsOf(toolhelpMs),
                tasklist = statsOf(tasklistMs), tick = statsOf(tickMs), rest = statsOf(restMs),
                restPaint = statsOf(restPaintMs);
    std::printf("## 1. Probe cost\n\n");
    printTimes("Way of asking", "Calls",
               {{"`checkProcessRunning` (WMI, locator bound anew each call)", probe},
                {"Toolhelp32 snapshot + Process32FirstW/NextW, case-insensitive compare", toolhelp},
                {"`tasklist.exe /FI \"IMAGENAME eq <name>\"` started, output to NUL, waited for",
                 tasklist}},
               3);
    std::printf(
        "\n- wrong answers: probe %d, toolhelp %d; tasklist runs with a non-zero exit: %d\n",
        probeMisses, toolhelpMisses, tasklistFailures);
    std::printf("- probe / toolhelp (medians): **%.2f**\n- tasklist / probe (medians): **%.2f**\n",
                probe.median / toolhelp.median, tasklist.median / probe.median);
    std::printf(
        "- tasklist run once with its output kept: %zu bytes, exit code %ld; names the watched "
        "process: %s; lists others (services.exe): %s\n\n",
        sample.size(), sampleCode, sample.find(ansi(name)) != std::string::npos ? "yes" : "no",
        sample.find("services.exe") != std::string::npos ? "yes" : "no");
    std::printf(
        "@summary | 1. Probe cost | probe %.3f ms, toolhelp %.3f ms, tasklist %.3f ms "
        "(medians); probe/toolhelp %.2f, tasklist/probe %.2f | - | - |\n\n",
        probe.median, toolhelp.median, tasklist.median, probe.median / toolhelp.median,
        tasklist.median / probe.median);

    auto percentOfProbe = [&](double part) { return 100.0 * part / probe.median; };
    const double byMedians = percentOfProbe(tick.median - probe.median);
    const double byStandIn = percentOfProbe(rest.median);
    const bool met = byMedians < 5.0 && byStandIn < 5.0;
    std::printf("## 2. Tick overhead\n\n");
    printTimes("What", "n",
               {{"probe alone (`checkProcessRunning`)", probe},
                {"whole tick (`PROCESS_RUNNING_TIMER_Timer()`, real probe)", tick},
                {"tick minus probe, same round", statsOf(differenceMs)},
                {"repaint after the real tick", statsOf(paintMs)},
                {"tick with a stand-in probe (everything but the probe)", rest},
                {"repaint after the stand-in tick", restPaint},
                {"the metrics file written whole, as at a change", statsOf(metricsMs)}},
               3);
    std::printf("\n- tick over probe, medians: **%+.2f %%**\n", byMedians);
    std::printf("- tick minus probe per round, median, over the probe median: %+.2f %%\n",
                percentOfProbe(statsOf(differenceMs).median));
    std::printf(
        "- the tick without its probe (stand-in) over the probe median: **%.2f %%** "
        "(%.2f %% with its repaint)\n",
        byStandIn, percentOfProbe(rest.median + restPaint.median));
    std::printf("- run light read RUNNING after every real tick: %s\n\n",
                wrongLooks ? "no" : "yes");
    std::printf(
        "Target: the tick adds under 5 %% to the probe (first and third figure): **%s**.\n\n",
        met ? "met" : "missed");
    std::printf(
        "@summary | 2. Tick overhead | tick %.3f ms vs probe %.3f ms (medians): %+.2f %%; "
        "tick work without the probe %.2f %% of the probe (%.2f %% with repaint) | "
        "< 5 %% | %s |\n",
        tick.median, probe.median, byMedians, byStandIn,
        percentOfProbe(rest.median + restPaint.median), met ? "met" : "missed");
    return probeMisses || toolhelpMisses || wrongLooks ? 2 : 0;
}
