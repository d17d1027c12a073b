// Start and footprint of renamed copies of kovalt.exe against the minimal window program: the
// time until the window shows at the strip's place, then private bytes read from outside after a
// while, with a copy with monitoring off beside them. bench/sections.md says how.
//
//   kovalt_bench_footprint [seconds = 60] [runs = 3] [start runs = 10] [kovalt.exe]
#include <filesystem>

#include "bench/bench.h"
#include "platform/ui/dpi.h"
#include "settings/placement.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

constexpr DWORD kGiveUpMs = 30000;

// Milliseconds from just before CreateProcess until the window of that class is visible with
// exactly the outer rectangle of `place`, -1 when not in time; `elsewhere` is set when it is
// first seen visible anywhere else.
double timeToShown(const std::wstring& exe, const std::wstring& arguments,
                   const wchar_t* windowClass, const settings::TwipRect& place, bool* elsewhere) {
    const double start = nowMs();
    ProcessInfo p = startProcess(exe, arguments);
    double shown = -1;
    for (RECT r; shown < 0 && running(p) && nowMs() - start < kGiveUpMs; ::Sleep(1)) {
        HWND window = ::FindWindowW(windowClass, nullptr);
        if (!window || !::IsWindowVisible(window) || !::GetWindowRect(window, &r)) continue;
        if (ui::PixelRect{r.left, r.top, r.right, r.bottom} ==
            ui::toPixels(place, ui::dpiOf(window)))
            shown = nowMs() - start;
        else
            *elsewhere = true;
    }
    stop(p);
    while (::FindWindowW(windowClass, nullptr) && nowMs() - start < 2 * kGiveUpMs) ::Sleep(10);
    return shown;
}

// The figures of the footprint table, in its order; the first is the one judged.
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
// One figure over the runs, or its run-by-run ratio to the same figure of `over`.
Stats statsOf(const std::vector<Memory>& runs, int f, const std::vector<Memory>* over = nullptr) {
    std::vector<double> values;
    for (size_t i = 0; i < runs.size(); ++i)
        values.push_back(figure(runs[i], f) / (over ? figure((*over)[i], f) : 1.0));
    return bench::statsOf(values);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int seconds = arg(1, 60), runs = arg(2, 3), startRuns = arg(3, 10);
    const std::wstring kovalt = arg.kovalt(4);
    const std::wstring minimal = builtProgram(L"kovalt_bench_minimal_window.exe");

    ScratchFolder folder(L"kovalt bench footprint");
    const std::wstring name = L"KVBFOOT" + uniqueSuffix();
    const std::wstring watchedName = L"kvbench-foot-" + name + L".exe";
    ScratchInstance on(name, watchedName), off(name + L"OFF", watchedName, false);
    const std::wstring onExe = folder / (on.name + L".exe"), offExe = folder / (off.name + L".exe"),
                       minimalExe = folder / L"minimal window.exe";
    if (!copyPrograms({{sleeper(), folder / watchedName},
                       {kovalt, onExe},
                       {kovalt, offExe},
                       {minimal, minimalExe}}))
        return 1;
    const settings::PlacementKeys& keys = settings::keys::kMainPlacement;
    on.section.save(keys.left, L"1500");
    on.section.save(keys.top, L"1200");
    // The place as the strip reads it: the stored left and top, the default size.
    const settings::TwipRect place = settings::readPlacement(on.section, keys);
    const ui::PixelRect pixels = ui::toPixels(place, ::GetDpiForSystem());
    const std::wstring minimalArguments =
        std::to_wstring(pixels.left) + L" " + std::to_wstring(pixels.top) + L" " +
        std::to_wstring(pixels.width()) + L" " + std::to_wstring(pixels.height());

    // Start, the watched process not running.
    std::vector<double> stripMs, minimalMs;
    bool stripElsewhere = false, minimalElsewhere = false;
    int failures = 0;
    for (int run = -1; run < startRuns; ++run) {  // run -1 warms up and is not counted
        const double s = timeToShown(onExe, L"", L"KOVALT_MAIN", place, &stripElsewhere);
        const double m = timeToShown(minimalExe, minimalArguments, L"KOVALT_BENCH_MINIMAL", place,
                                     &minimalElsewhere);
        failures += s < 0 || m < 0;
        if (run < 0) continue;
        if (s >= 0) stripMs.push_back(s);
        if (m >= 0) minimalMs.push_back(m);
    }

    std::vector<Memory> strip, base, idle;
    bool keptBySystem = true;
    for (int run = 0; run < runs; ++run) {
        ProcessInfo watched = startWatched(folder.path(), watchedName);
        ProcessInfo programs[] = {startProcess(onExe), startProcess(minimalExe),
                                  startProcess(offExe)};
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        Memory m[3];
        bool allRan = true;
        for (int i = 0; i < 3; ++i) {
            allRan = allRan && running(programs[i]);
            const UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                                     FALSE, programs[i].processId));
            if (process) m[i] = memoryOf(process.get());
            keptBySystem = keptBySystem && m[i].privateUsage > 0;
        }
        for (auto* p : {&programs[0], &programs[2], &programs[1], &watched}) stop(*p);
        if (!allRan) return fail("a program ended before it was measured");
        for (const Memory& read : m)
            if (read.own <= 0 || read.writableImages < 0 || read.pagefile <= 0)
                return fail("the memory of the programs could not be read");
        strip.push_back(m[0]);
        base.push_back(m[1]);
        idle.push_back(m[2]);
    }

    const Stats judged = statsOf(strip, kJudged, &base);
    const bool met = judged.max <= 1.5;
    std::error_code error;
    const auto stripSize = std::filesystem::file_size(kovalt, error),
               minimalSize = std::filesystem::file_size(minimal, error);
    std::printf("## 4. Footprint\n\n| Executable | Size |\n|---|---:|\n");
    std::printf("| kovalt.exe | %llu bytes (%s) |\n", stripSize, kb(stripSize).c_str());
    std::printf("| minimal window program | %llu bytes (%s) |\n\n", minimalSize,
                kb(minimalSize).c_str());
    std::printf(
        "| After %d s, %d runs | Strip | Minimal window | Strip, monitoring off | "
        "Strip / minimal, same run |\n|---|---:|---:|---:|---:|\n",
        seconds, runs);
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
        const Stats r = statsOf(strip, f, &base);
        std::printf("| %.2f (%.2f - %.2f) |\n", r.median, r.min, r.max);
    }
    std::printf(
        "\nTarget: private bytes at most 1.5 times the minimal program's, in every run: "
        "**%s**.\n\n",
        met ? "met" : "missed");
    std::printf(
        "@summary | 4. Footprint | kovalt.exe %s; private bytes%s after %d s: strip %s, "
        "minimal %s, ratio %.2f (median of %d; max %.2f); Wine's PagefileUsage ratio %.2f | "
        "<= 1.5 | %s |\n\n",
        kb(stripSize).c_str(), keptBySystem ? "" : " (upper bound)", seconds,
        kb(statsOf(strip, kJudged).median).c_str(), kb(statsOf(base, kJudged).median).c_str(),
        judged.median, runs, judged.max, statsOf(strip, kPagefile, &base).median,
        met ? "met" : "missed");

    const Stats s = bench::statsOf(stripMs), b = bench::statsOf(minimalMs);
    std::printf("## 5. Start\n\nStored place %ld,%ld %ldx%ld px.\n\n", pixels.left, pixels.top,
                pixels.width(), pixels.height());
    printTimes("Program", "Runs",
               {{"kovalt.exe (renamed copy, monitoring on)", s}, {"minimal window program", b}}, 1);
    std::printf("\n- strip / minimal (medians): **%.2f**\n", s.median / b.median);
    std::printf("- runs that did not show the window within %lu s: %d\n", kGiveUpMs / 1000,
                failures);
    std::printf(
        "- a window first seen visible elsewhere (moved into place after showing): strip "
        "%s, minimal %s\n\n",
        stripElsewhere ? "yes" : "no", minimalElsewhere ? "yes" : "no");
    std::printf(
        "@summary | 5. Start | strip %.1f ms, minimal %.1f ms (medians of %zu); ratio %.2f "
        "| - | - |\n",
        s.median, b.median, s.count, s.median / b.median);
    return failures ? 2 : 0;
}
