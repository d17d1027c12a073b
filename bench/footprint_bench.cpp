// Footprint: the size of kovalt.exe, and the private bytes of the running strip after a minute
// with monitoring on, read from outside, against the minimal window program started the same
// way at the same moment. A second copy of the strip with monitoring off (so it never probes)
// runs beside them and shows how much of the difference monitoring brings.
//
//   kovalt_bench_footprint [seconds = 60] [runs = 3] [kovalt.exe = ..\kovalt.exe]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench/bench_support.h"

using namespace kovalt::bench;

namespace {

struct Reading {
    long long privateBytes = -1;
    long long workingSet = -1;
    const char* source = "";
};

// OpenProcess by id and GetProcessMemoryInfo, as any other program would see it.
Reading readFromOutside(DWORD processId) {
    Reading r;
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return r;
    const Counter bytes = privateBytes(process);
    r.privateBytes = bytes.value;
    r.source = bytes.source;
    r.workingSet = workingSetBytes(process);
    ::CloseHandle(process);
    return r;
}

std::string kb(double bytes) { return fixed(bytes / 1024.0, 0) + " KB"; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
    const int runs = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 3;
    const std::wstring kovalt = fullPath(argc > 3 ? argv[3] : ownFolder() + L"\\..\\kovalt.exe");
    const std::wstring minimal = ownFolder() + L"\\kovalt_bench_minimal_window.exe";

    std::vector<double> stripBytes, minimalBytes, ratios, stripSet, minimalSet, idleBytes;
    const char* source = "";
    for (int run = 0; run < runs; ++run) {
        ScratchFolder folder(L"kovalt bench footprint");
        const std::wstring instance =
            L"KVBFOOT" + std::to_wstring(::GetCurrentProcessId()) + L"R" + std::to_wstring(run);
        ScratchKey section(instanceKeyPath(instance));
        const std::wstring idle = instance + L"OFF";
        ScratchKey idleSection(instanceKeyPath(idle));
        const std::wstring watchedName = L"kvbench-foot-" + instance + L".exe";
        if (!copySleeper(folder.path(), watchedName) ||
            !::CopyFileW(kovalt.c_str(), (folder / (instance + L".exe")).c_str(), FALSE) ||
            !::CopyFileW(kovalt.c_str(), (folder / (idle + L".exe")).c_str(), FALSE) ||
            !::CopyFileW(minimal.c_str(), (folder / L"minimal window.exe").c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy the programs into the scratch folder\n");
            return 1;
        }
        setInstanceValue(instance, L"PROCESS_NAME_TEXTBOX", watchedName);
        setInstanceValue(instance, L"ENABLED_TICKBOX", L"1");
        setInstanceValue(instance, L"AlwaysOnTop_TICKBOX", L"0");
        setInstanceValue(idle, L"PROCESS_NAME_TEXTBOX", watchedName);
        setInstanceValue(idle, L"ENABLED_TICKBOX", L"0");
        setInstanceValue(idle, L"AlwaysOnTop_TICKBOX", L"0");

        Process watched = Process::start(folder / watchedName, L"", folder.path(), CREATE_NO_WINDOW);
        waitForProcessCount(watchedName, true);
        Process strip = Process::start(folder / (instance + L".exe"), L"", folder.path());
        Process baseline = Process::start(folder / L"minimal window.exe", L"", folder.path());
        Process idleStrip = Process::start(folder / (idle + L".exe"), L"", folder.path());
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        if (!strip.running() || !baseline.running() || !idleStrip.running()) {
            std::fprintf(stderr, "a program ended before it was measured\n");
            return 1;
        }
        const Reading s = readFromOutside(strip.id()), m = readFromOutside(baseline.id()),
                      i = readFromOutside(idleStrip.id());
        strip.kill();
        idleStrip.kill();
        baseline.kill();
        watched.kill();
        if (s.privateBytes <= 0 || m.privateBytes <= 0 || i.privateBytes <= 0) {
            std::fprintf(stderr, "the memory of the programs could not be read\n");
            return 1;
        }
        source = s.source;
        stripBytes.push_back(static_cast<double>(s.privateBytes));
        minimalBytes.push_back(static_cast<double>(m.privateBytes));
        idleBytes.push_back(static_cast<double>(i.privateBytes));
        ratios.push_back(static_cast<double>(s.privateBytes) / m.privateBytes);
        stripSet.push_back(static_cast<double>(s.workingSet));
        minimalSet.push_back(static_cast<double>(m.workingSet));
        std::fprintf(stderr, "footprint run %d: strip %lld, minimal %lld bytes\n", run + 1,
                     s.privateBytes, m.privateBytes);
    }

    const long long stripSize = fileSize(kovalt), minimalSize = fileSize(minimal);
    const Stats strip = statsOf(stripBytes), base = statsOf(minimalBytes), ratio = statsOf(ratios),
                stripWs = statsOf(stripSet), baseWs = statsOf(minimalSet), idleStrip = statsOf(idleBytes);
    const bool met = ratio.max <= 1.5;

    std::printf("## 4. Footprint\n\n");
    std::printf("| Executable | Size |\n|---|---:|\n");
    std::printf("| kovalt.exe | %lld bytes (%s) |\n", stripSize, kb(stripSize).c_str());
    std::printf("| minimal window program | %lld bytes (%s) |\n\n", minimalSize,
                kb(minimalSize).c_str());
    std::printf("A renamed copy of kovalt.exe with monitoring on (watching a running copy of the "
                "sleeper, always-on-top off), a second copy with monitoring off and the minimal "
                "window program, all started by CreateProcess from this benchmark at the same "
                "moment, each read from outside "
                "(OpenProcess + GetProcessMemoryInfo) after %d s; runs: %d.\n\n",
                seconds, runs);
    std::printf("| After %d s | Median | Min | Max |\n|---|---:|---:|---:|\n", seconds);
    std::printf("| strip, private bytes | %s | %s | %s |\n", kb(strip.median).c_str(),
                kb(strip.min).c_str(), kb(strip.max).c_str());
    std::printf("| minimal window, private bytes | %s | %s | %s |\n", kb(base.median).c_str(),
                kb(base.min).c_str(), kb(base.max).c_str());
    std::printf("| strip with monitoring off, private bytes | %s | %s | %s |\n",
                kb(idleStrip.median).c_str(), kb(idleStrip.min).c_str(), kb(idleStrip.max).c_str());
    std::printf("| strip / minimal, same run | %s | %s | %s |\n", fixed(ratio.median, 2).c_str(),
                fixed(ratio.min, 2).c_str(), fixed(ratio.max, 2).c_str());
    std::printf("| strip, working set | %s | %s | %s |\n", kb(stripWs.median).c_str(),
                kb(stripWs.min).c_str(), kb(stripWs.max).c_str());
    std::printf("| minimal window, working set | %s | %s | %s |\n\n", kb(baseWs.median).c_str(),
                kb(baseWs.min).c_str(), kb(baseWs.max).c_str());
    std::printf("Private bytes here: %s.\n\n", source);
    std::printf("Target: at most 1.5 times the minimal program's private bytes, in every run: "
                "**%s**.\n\n",
                met ? "met" : "missed");

    std::printf("@summary | 4. Footprint | kovalt.exe %s; private bytes after %d s: strip %s, "
                "minimal %s, ratio %s (median of %d) | <= 1.5 | %s |\n",
                kb(stripSize).c_str(), seconds, kb(strip.median).c_str(), kb(base.median).c_str(),
                fixed(ratio.median, 2).c_str(), runs, met ? "met" : "missed");
    return 0;
}
