// Footprint: the size of kovalt.exe, and the private bytes of the running strip after a minute
// with monitoring on, read from outside, against the minimal window program started the same
// way at the same moment. A second copy of the strip with monitoring off (so it never probes)
// runs beside them and shows how much of the difference monitoring brings.
//
// Private bytes are what Windows keeps as PrivateUsage: the memory committed to the process
// alone (heaps, stacks, its own allocations) and the pages of program and DLL images it has
// written. Wine answers 0 for PrivateUsage, so under Wine the figure judged is read the way a
// Windows memory viewer reads it, region by region (VirtualQueryEx): committed memory of type
// MEM_PRIVATE plus every writable page of the mapped images, as if all had been written. That
// is an upper bound of PrivateUsage. Wine's PagefileUsage (the Linux process's anonymous
// resident memory, which also holds the memory of the Linux libraries Wine itself loads) is
// reported beside it.
//
//   kovalt_bench_footprint [seconds = 60] [runs = 3] [kovalt.exe = ..\kovalt.exe]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench/bench_support.h"

using namespace kovalt::bench;

namespace {

struct Reading {
    long long kept = -1;      // PrivateUsage, where the system keeps it
    long long own = -1;       // committed MEM_PRIVATE
    long long images = -1;    // writable pages of mapped images
    long long pagefile = -1;  // PagefileUsage
    long long workingSet = -1;

    // The figure the target is judged on: PrivateUsage where it is kept, else its upper bound.
    long long privateBytes() const { return kept > 0 ? kept : own + images; }
    bool complete() const { return own > 0 && images >= 0 && pagefile > 0; }
};

// OpenProcess by id, GetProcessMemoryInfo and VirtualQueryEx, as any other program would see it.
Reading readFromOutside(DWORD processId) {
    Reading r;
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return r;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters))) {
        r.kept = static_cast<long long>(counters.PrivateUsage);
        r.pagefile = static_cast<long long>(counters.PagefileUsage);
        r.workingSet = static_cast<long long>(counters.WorkingSetSize);
    }
    const CommittedMemory committed = committedMemory(process);
    r.own = committed.own;
    r.images = committed.writableImages;
    ::CloseHandle(process);
    return r;
}

// The readings of one program over all runs.
struct Series {
    std::vector<double> judged, own, images, pagefile, workingSet;
    void add(const Reading& r) {
        judged.push_back(static_cast<double>(r.privateBytes()));
        own.push_back(static_cast<double>(r.own));
        images.push_back(static_cast<double>(r.images));
        pagefile.push_back(static_cast<double>(r.pagefile));
        workingSet.push_back(static_cast<double>(r.workingSet));
    }
};

std::string kb(double bytes) { return fixed(bytes / 1024.0, 0) + " KB"; }

// "median (min - max)" of a series, in KB.
std::string kbRange(const std::vector<double>& values) {
    const Stats s = statsOf(values);
    return kb(s.median) + " (" + fixed(s.min / 1024.0, 0) + " - " + fixed(s.max / 1024.0, 0) + ")";
}

// The run-by-run ratios of two series.
std::vector<double> ratiosOf(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) out.push_back(a[i] / b[i]);
    return out;
}

std::string ratioRange(const std::vector<double>& ratios) {
    const Stats s = statsOf(ratios);
    return fixed(s.median, 2) + " (" + fixed(s.min, 2) + " - " + fixed(s.max, 2) + ")";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
    const int runs = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 3;
    const std::wstring kovalt = fullPath(argc > 3 ? argv[3] : ownFolder() + L"\\..\\kovalt.exe");
    const std::wstring minimal = ownFolder() + L"\\kovalt_bench_minimal_window.exe";

    Series strip, base, idle;
    bool keptBySystem = true;
    for (int run = 0; run < runs; ++run) {
        ScratchFolder folder(L"kovalt bench footprint");
        const std::wstring instance =
            L"KVBFOOT" + std::to_wstring(::GetCurrentProcessId()) + L"R" + std::to_wstring(run);
        ScratchKey section(instanceKeyPath(instance));
        const std::wstring idleName = instance + L"OFF";
        ScratchKey idleSection(instanceKeyPath(idleName));
        const std::wstring watchedName = L"kvbench-foot-" + instance + L".exe";
        if (!copySleeper(folder.path(), watchedName) ||
            !::CopyFileW(kovalt.c_str(), (folder / (instance + L".exe")).c_str(), FALSE) ||
            !::CopyFileW(kovalt.c_str(), (folder / (idleName + L".exe")).c_str(), FALSE) ||
            !::CopyFileW(minimal.c_str(), (folder / L"minimal window.exe").c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy the programs into the scratch folder\n");
            return 1;
        }
        setInstanceValue(instance, L"PROCESS_NAME_TEXTBOX", watchedName);
        setInstanceValue(instance, L"ENABLED_TICKBOX", L"1");
        setInstanceValue(instance, L"AlwaysOnTop_TICKBOX", L"0");
        setInstanceValue(idleName, L"PROCESS_NAME_TEXTBOX", watchedName);
        setInstanceValue(idleName, L"ENABLED_TICKBOX", L"0");
        setInstanceValue(idleName, L"AlwaysOnTop_TICKBOX", L"0");

        Process watched = Process::start(folder / watchedName, L"", folder.path(), CREATE_NO_WINDOW);
        waitForProcessCount(watchedName, true);
        Process stripProcess = Process::start(folder / (instance + L".exe"), L"", folder.path());
        Process baseline = Process::start(folder / L"minimal window.exe", L"", folder.path());
        Process idleStrip = Process::start(folder / (idleName + L".exe"), L"", folder.path());
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        if (!stripProcess.running() || !baseline.running() || !idleStrip.running()) {
            std::fprintf(stderr, "a program ended before it was measured\n");
            return 1;
        }
        const Reading s = readFromOutside(stripProcess.id()), m = readFromOutside(baseline.id()),
                      i = readFromOutside(idleStrip.id());
        stripProcess.kill();
        idleStrip.kill();
        baseline.kill();
        watched.kill();
        if (!s.complete() || !m.complete() || !i.complete()) {
            std::fprintf(stderr, "the memory of the programs could not be read\n");
            return 1;
        }
        keptBySystem = keptBySystem && s.kept > 0 && m.kept > 0 && i.kept > 0;
        strip.add(s);
        base.add(m);
        idle.add(i);
        std::fprintf(stderr,
                     "footprint run %d (KB): strip own %lld + images %lld, pagefile %lld; "
                     "minimal own %lld + images %lld, pagefile %lld\n",
                     run + 1, s.own / 1024, s.images / 1024, s.pagefile / 1024, m.own / 1024,
                     m.images / 1024, m.pagefile / 1024);
    }

    const std::vector<double> judgedRatios = ratiosOf(strip.judged, base.judged);
    const Stats judged = statsOf(judgedRatios);
    const bool met = judged.max <= 1.5;
    const long long stripSize = fileSize(kovalt), minimalSize = fileSize(minimal);

    std::printf("## 4. Footprint\n\n");
    std::printf("| Executable | Size |\n|---|---:|\n");
    std::printf("| kovalt.exe | %lld bytes (%s) |\n", stripSize, kb(stripSize).c_str());
    std::printf("| minimal window program | %lld bytes (%s) |\n\n", minimalSize,
                kb(minimalSize).c_str());
    std::printf("A renamed copy of kovalt.exe with monitoring on (watching a running copy of the "
                "sleeper, always-on-top off), a second copy with monitoring off and the minimal "
                "window program, all started by CreateProcess from this benchmark at the same "
                "moment, each read from outside (OpenProcess, GetProcessMemoryInfo and "
                "VirtualQueryEx over its whole address space) after %d s; runs: %d. Each cell: "
                "median (min - max).\n\n",
                seconds, runs);
    std::printf("| After %d s | Strip | Minimal window | Strip, monitoring off | Strip / minimal, "
                "same run |\n|---|---:|---:|---:|---:|\n",
                seconds);
    auto row = [](const char* what, const std::vector<double>& a, const std::vector<double>& b,
                  const std::vector<double>& c) {
        std::printf("| %s | %s | %s | %s | %s |\n", what, kbRange(a).c_str(), kbRange(b).c_str(),
                    kbRange(c).c_str(), ratioRange(ratiosOf(a, b)).c_str());
    };
    if (keptBySystem) {
        row("**private bytes** (PrivateUsage)", strip.judged, base.judged, idle.judged);
    } else {
        row("**private bytes, upper bound** (own + images)", strip.judged, base.judged,
            idle.judged);
    }
    row("own committed memory (MEM_PRIVATE)", strip.own, base.own, idle.own);
    row("writable pages of mapped images", strip.images, base.images, idle.images);
    row("PagefileUsage", strip.pagefile, base.pagefile, idle.pagefile);
    row("working set", strip.workingSet, base.workingSet, idle.workingSet);
    std::printf("\n");
    if (keptBySystem) {
        std::printf("Private bytes here: PrivateUsage as the system keeps it.\n\n");
    } else {
        std::printf(
            "Private bytes here: this Wine answers 0 for PrivateUsage, so the figure judged is "
            "its upper bound read region by region: committed memory of type MEM_PRIVATE "
            "(heaps, stacks, the program's own allocations) plus every writable page of the "
            "program and DLL images, counted as if each had been written (on Windows an image "
            "page becomes private only when written). PagefileUsage is Wine's figure for the "
            "Linux process's anonymous resident memory; it also holds the memory of the Linux "
            "libraries Wine loads for its own implementation of the DLLs (see the notes below), "
            "which a Windows process does not have.\n\n");
    }
    std::printf("Target: private bytes at most 1.5 times the minimal program's, in every run: "
                "**%s**.\n\n",
                met ? "met" : "missed");

    std::printf("@summary | 4. Footprint | kovalt.exe %s; private bytes%s after %d s: strip %s, "
                "minimal %s, ratio %s (median of %d; max %s); Wine's PagefileUsage ratio %s | "
                "<= 1.5 | %s |\n",
                kb(stripSize).c_str(), keptBySystem ? "" : " (upper bound)", seconds,
                kb(statsOf(strip.judged).median).c_str(), kb(statsOf(base.judged).median).c_str(),
                fixed(judged.median, 2).c_str(), runs, fixed(judged.max, 2).c_str(),
                fixed(statsOf(ratiosOf(strip.pagefile, base.pagefile)).median, 2).c_str(),
                met ? "met" : "missed");
    return 0;
}
