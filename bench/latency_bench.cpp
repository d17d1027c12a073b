// Detection latency: the sleeper a renamed kovalt.exe watches is killed and started again at
// random moments; its alert scripts run the stamp program (stamp.cpp). See bench/sections.md.
//
//   kovalt_bench_latency [cycles = 20] [kovalt.exe = ..\kovalt.exe]
#include <random>
#include <sstream>

#include "bench/bench.h"
#include "platform/command_start.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

constexpr double kIntervalMs = 1000, kGiveUpMs = 30000;

// A moment on two clocks, the performance counter and the system time (FILETIME); a stamp's
// are the stamp program's start and the creation of its cmd.exe.
struct Moment {
    long long counter = -1, fileTime = 0;
};

Moment now() {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    return {counterNow(), (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime};
}
double counterMs(const Moment& from, const Moment& stamp) {
    return countsToMs(stamp.counter - from.counter);
}
double createdMs(const Moment& from, const Moment& stamp) {
    return (stamp.fileTime - from.fileTime) / 10000.0;  // FILETIME counts 100 ns
}

// Waits for stamp number `index` (from 0) in the file, lines of two numbers ended by "\r\n";
// counter -1 when none came in time.
Moment waitForStamp(const std::wstring& path, size_t index) {
    for (const double start = nowMs(); nowMs() - start < kGiveUpMs; ::Sleep(2)) {
        std::istringstream lines(readFile(path));
        std::string line;
        for (size_t n = 0; std::getline(lines, line) && line.ends_with('\r'); ++n) {
            if (n < index) continue;
            Moment stamp;
            std::istringstream(line) >> stamp.counter >> stamp.fileTime;
            return stamp;
        }
    }
    return {};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int cycles = arg(1, 20);
    platform::ComInit com;

    ScratchFolder folder(L"kovalt bench latency");
    const std::wstring watchedName = L"kvbench-latency-" + uniqueSuffix() + L".exe";
    ScratchInstance instance(L"KVBLAT" + uniqueSuffix(), watchedName);
    // Forty alerts in a few minutes: the cap on alerts at once would hold most of them.
    instance.section.save(settings::keys::ALERT_LIMIT_WINDOW_SECONDS, L"1");
    const std::wstring bats = folder / L"BATS";
    test::makeFolder(bats);
    if (!copyPrograms({{sleeper(), folder / watchedName},
                       {arg.kovalt(2), folder / (instance.name + L".exe")},
                       {builtProgram(L"kovalt_bench_stamp.exe"), bats + L"\\kvbench_stamp.exe"}}))
        return 1;
    // A script that runs the stamp program, then writes the mailer's word of success to its
    // log, so that its try ends with it; the stamp file it appends to, <kind>.stamps.
    test::makeFolder(folder / L"LOGS");
    const std::string log = "%~dp0..\\LOGS\\" + ansi(instance.name) + "-SEND-EMAIL.LOG";
    auto script = [&](const std::wstring& bat, const std::string& kind) {
        test::writeFile(bats + L"\\" + bat,
                        "@\"%~dp0kvbench_stamp.exe\" \"%~dp0" + kind + ".stamps\"\r\n" +
                            "@echo Email was sent successfully>>\"" + log + "\"\r\n");
        return bats + L"\\" + std::wstring(kind.begin(), kind.end()) + L".stamps";
    };
    const std::wstring scripts = instance.name + L"-PROCESS-";
    const std::wstring stopped = script(scripts + L"STOPPED-EMAIL.bat", "STOPPED"),
                       started = script(scripts + L"RUNNING-EMAIL.bat", "RUNNING"),
                       chain = script(L"CHAIN.bat", "CHAIN");

    // The script start alone, as the strip calls it; the first one warms up.
    std::vector<double> chainCreatedMs, chainMs;
    for (int i = 0; i < 11; ++i) {
        const Moment before = now();
        platform::StartedScript started;
        if (!platform::startBatchHidden(bats + L"\\CHAIN.bat", started).ok()) return 1;
        const Moment stamp = waitForStamp(chain, i);
        if (stamp.counter < 0) return fail("the script started here left no stamp");
        if (i == 0) continue;
        chainCreatedMs.push_back(createdMs(before, stamp));
        chainMs.push_back(counterMs(before, stamp));
    }

    // One probe, for the bound.
    ProcessInfo watched = startWatched(folder.path(), watchedName);
    std::vector<double> probeMs;
    for (int i = 0; i < 25; ++i)  // the first five warm up
        probeMs.push_back(timed([&] { platform::checkProcessRunning(watchedName); }));
    probeMs.erase(probeMs.begin(), probeMs.begin() + 5);

    ProcessInfo strip = startProcess(folder / (instance.name + L".exe"));
    const double opened = nowMs();
    while (!::FindWindowW(L"KOVALT_MAIN", nullptr) && nowMs() - opened < kGiveUpMs) ::Sleep(10);
    ::Sleep(3000);  // a few ticks see the watched process running: no alert

    std::mt19937 random(1);
    std::uniform_int_distribution<int> phase(0, 999);
    std::vector<double> stopCreatedMs, stopMs, exitSeenMs, startCreatedMs;
    for (int c = 0; c < cycles; ++c) {
        ::Sleep(300 + phase(random));
        const Moment killed = now();
        stop(watched);
        exitSeenMs.push_back(countsToMs(counterNow() - killed.counter));
        const Moment stoppedStamp = waitForStamp(stopped, c);
        if (stoppedStamp.counter < 0) break;
        stopCreatedMs.push_back(createdMs(killed, stoppedStamp));
        stopMs.push_back(counterMs(killed, stoppedStamp));

        ::Sleep(300 + phase(random));
        const Moment restarted = now();
        watched = startProcess(folder / watchedName, L"", CREATE_NO_WINDOW);
        const Moment startedStamp = waitForStamp(started, c);
        if (startedStamp.counter < 0) break;
        startCreatedMs.push_back(createdMs(restarted, startedStamp));
    }
    const bool missed = startCreatedMs.size() < size_t(cycles);
    const bool stripStillRunning = running(strip);
    stop(strip);
    stop(watched);

    const Stats detection = statsOf(stopCreatedMs), toProgram = statsOf(stopMs),
                probe = statsOf(probeMs);
    const double bound = kIntervalMs + probe.median;
    const bool met = !missed && detection.max <= bound;

    std::printf("## 6. Detection latency\n\n");
    printTimes("What", "n",
               {{"kill -> stopped script started (its cmd.exe created)", detection},
                {"kill -> stopped script's stamp program running", toProgram},
                {"kill -> exit seen by this benchmark", statsOf(exitSeenMs)},
                {"sleeper started -> running script started (its cmd.exe created)",
                 statsOf(startCreatedMs)},
                {"script start called here -> its cmd.exe created", statsOf(chainCreatedMs)},
                {"script start called here -> its stamp program running", statsOf(chainMs)},
                {"one probe (`checkProcessRunning`), measured here", probe}},
               1);
    std::printf("\n- cycles completed: %zu of %d; strip still running at the end: %s\n",
                stopCreatedMs.size(), cycles, stripStillRunning ? "yes" : "no");
    std::printf("- bound: one interval (1000 ms) plus one probe (median %.1f ms) = %.1f ms\n",
                probe.median, bound);
    std::printf(
        "- worst kill -> stopped script started: %.1f ms; worst kill -> its program "
        "running (cmd.exe and the stamp program started too): %.1f ms, %s the bound\n\n",
        detection.max, toProgram.max, toProgram.max <= bound ? "within" : "over");
    std::printf(
        "Target: never more than one interval plus one probe from the exit to the start "
        "of the stopped script: **%s**.\n\n",
        met ? "met" : "missed");

    std::printf(
        "@summary | 6. Detection latency | kill -> stopped script started: median %.1f ms, "
        "max %.1f ms (to the script's program running: median %.1f, max %.1f ms); %zu "
        "cycles | <= %.0f ms | %s |\n",
        detection.median, detection.max, toProgram.median, toProgram.max, stopCreatedMs.size(),
        bound, met ? "met" : "missed");
    return missed ? 2 : 0;
}
