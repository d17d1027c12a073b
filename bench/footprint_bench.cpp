// Footprint: the size of kovalt.exe, and the private bytes of the running strip after a minute
// with monitoring on, read from outside, against the minimal window program started the same
// way at the same moment. A second copy of the strip with monitoring off (so it never probes)
// runs beside them and shows how much of the difference monitoring brings. Where Windows keeps
// no PrivateUsage (Wine), its upper bound is judged; the printed section says how it is read.
//
//   kovalt_bench_footprint [seconds = 60] [runs = 3] [kovalt.exe = ..\kovalt.exe]
#include <filesystem>

#include "bench/bench.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

// The figures of the table, in its order; the first is the one judged.
enum Figure { kJudged, kOwn, kImages, kPagefile, kWorkingSet, kFigures };
double figure(const Memory& m, int f) {
    const long long values[kFigures] = {m.privateBytes(), m.own, m.writableImages, m.pagefile,
                                        m.workingSet};
    return static_cast<double>(values[f]);
}

std::string kb(double bytes) {
    char text[40];
    std::snprintf(text, sizeof(text), "%.0f KB", bytes / 1024.0);
    return text;
}

// The run-by-run ratios of one figure of two programs.
std::vector<double> ratios(const std::vector<Memory>& a, const std::vector<Memory>& b, int f) {
    std::vector<double> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        out.push_back(figure(a[i], f) / figure(b[i], f));
    return out;
}

Stats statsOf(const std::vector<Memory>& runs, int f) {
    std::vector<double> values;
    for (const Memory& m : runs) values.push_back(figure(m, f));
    return bench::statsOf(values);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int seconds = arg(1, 60), runs = arg(2, 3);
    const std::wstring kovalt = arg.kovalt(3);
    const std::wstring minimal = builtProgram(L"kovalt_bench_minimal_window.exe");

    std::vector<Memory> strip, base, idle;
    bool keptBySystem = true;
    for (int run = 0; run < runs; ++run) {
        ScratchFolder folder(L"kovalt bench footprint");
        const std::wstring name = L"KVBFOOT" + uniqueSuffix();
        const std::wstring watchedName = L"kvbench-foot-" + name + L".exe";
        ScratchInstance on(name, watchedName), off(name + L"OFF", watchedName, false);
        if (!copyPrograms({{sleeper(), folder / watchedName},
                           {kovalt, folder / (on.name + L".exe")},
                           {kovalt, folder / (off.name + L".exe")},
                           {minimal, folder / L"minimal window.exe"}}))
            return 1;

        ProcessInfo watched = startWatched(folder.path(), watchedName);
        ProcessInfo stripProcess = startProcess(folder / (on.name + L".exe")),
                    baseline = startProcess(folder / L"minimal window.exe"),
                    idleStrip = startProcess(folder / (off.name + L".exe"));
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        const bool allRan = running(stripProcess) && running(baseline) && running(idleStrip);
        // Read from outside, as any other program would see them.
        Memory m[3];
        const ProcessInfo* programs[] = {&stripProcess, &baseline, &idleStrip};
        for (int i = 0; i < 3; ++i) {
            const UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                                     FALSE, programs[i]->processId));
            if (process) m[i] = memoryOf(process.get());
            keptBySystem = keptBySystem && m[i].privateUsage > 0;
        }
        for (auto* p : {&stripProcess, &idleStrip, &baseline, &watched}) stop(*p);
        if (!allRan) return fail("a program ended before it was measured");
        for (const Memory& read : m)
            if (read.own <= 0 || read.writableImages < 0 || read.pagefile <= 0)
                return fail("the memory of the programs could not be read");
        strip.push_back(m[0]);
        base.push_back(m[1]);
        idle.push_back(m[2]);
    }

    const Stats judged = statsOf(ratios(strip, base, kJudged));
    const bool met = judged.max <= 1.5;
    std::error_code error;
    const auto stripSize = std::filesystem::file_size(kovalt, error),
               minimalSize = std::filesystem::file_size(minimal, error);

    std::printf("## 4. Footprint\n\n");
    std::printf("| Executable | Size |\n|---|---:|\n");
    std::printf("| kovalt.exe | %llu bytes (%s) |\n", stripSize, kb(stripSize).c_str());
    std::printf("| minimal window program | %llu bytes (%s) |\n\n", minimalSize,
                kb(minimalSize).c_str());
    std::printf(
        "A renamed copy of kovalt.exe with monitoring on (watching a running copy of the "
        "sleeper, always-on-top off), a second copy with monitoring off and the minimal "
        "window program, all started by CreateProcess from this benchmark at the same "
        "moment, each read from outside (OpenProcess, GetProcessMemoryInfo and "
        "VirtualQueryEx over its whole address space) after %d s; runs: %d. Each cell: "
        "median (min - max).\n\n",
        seconds, runs);
    std::printf(
        "| After %d s | Strip | Minimal window | Strip, monitoring off | Strip / minimal, "
        "same run |\n|---|---:|---:|---:|---:|\n",
        seconds);
    const char* names[kFigures] = {keptBySystem ? "**private bytes** (PrivateUsage)"
                                                : "**private bytes, upper bound** (own + images)",
                                   "own committed memory (MEM_PRIVATE)",
                                   "writable pages of mapped images", "PagefileUsage",
                                   "working set"};
    for (int f = 0; f < kFigures; ++f) {
        std::printf("| %s ", names[f]);
        for (const auto* runsOf : {&strip, &base, &idle}) {
            const Stats s = statsOf(*runsOf, f);
            std::printf("| %s (%.0f - %.0f) ", kb(s.median).c_str(), s.min / 1024, s.max / 1024);
        }
        const Stats r = statsOf(ratios(strip, base, f));
        std::printf("| %.2f (%.2f - %.2f) |\n", r.median, r.min, r.max);
    }
    if (keptBySystem) {
        std::printf("\nPrivate bytes here: PrivateUsage as the system keeps it.\n\n");
    } else {
        std::printf(
            "\nPrivate bytes here: this Wine answers 0 for PrivateUsage, so the figure judged is "
            "its upper bound, read region by region: committed memory of type MEM_PRIVATE plus "
            "every writable page of the program and DLL images, as if each had been written. "
            "PagefileUsage is Wine's count of the Linux process's anonymous resident memory "
            "(see the notes below).\n\n");
    }
    std::printf(
        "Target: private bytes at most 1.5 times the minimal program's, in every run: "
        "**%s**.\n\n",
        met ? "met" : "missed");

    std::printf(
        "@summary | 4. Footprint | kovalt.exe %s; private bytes%s after %d s: strip %s, "
        "minimal %s, ratio %.2f (median of %d; max %.2f); Wine's PagefileUsage ratio %.2f | "
        "<= 1.5 | %s |\n",
        kb(stripSize).c_str(), keptBySystem ? "" : " (upper bound)", seconds,
        kb(statsOf(strip, kJudged).median).c_str(), kb(statsOf(base, kJudged).median).c_str(),
        judged.median, runs, judged.max, statsOf(ratios(strip, base, kPagefile)).median,
        met ? "met" : "missed");
    return 0;
}
