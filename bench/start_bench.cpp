// Start: from CreateProcess to the strip shown at its stored place, against the minimal window
// program shown at the same place (given on its command line). The two alternate, each run
// waits for the window to be visible with exactly the expected outer rectangle.
//
//   kovalt_bench_start [runs = 10] [kovalt.exe = ..\kovalt.exe]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench/bench_support.h"
#include "platform/registry_store.h"
#include "settings/placement.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

constexpr DWORD kGiveUpMs = 30000;

bool shownAt(const wchar_t* windowClass, const settings::TwipRect& place, bool* wrongPlace) {
    HWND window = ::FindWindowW(windowClass, nullptr);
    if (!window || !::IsWindowVisible(window)) return false;
    RECT r;
    ::GetWindowRect(window, &r);
    const settings::PixelRect expected = settings::toPixels(place, ::GetDpiForWindow(window));
    const bool there = r.left == expected.left && r.top == expected.top &&
                       r.right == expected.right && r.bottom == expected.bottom;
    if (!there) *wrongPlace = true;
    return there;
}

// Milliseconds from just before CreateProcess until the window shows at its place; -1 when it
// did not within the time allowed.
double timeToShown(const std::wstring& exe, const std::wstring& arguments,
                   const std::wstring& folder, const wchar_t* windowClass,
                   const settings::TwipRect& place, bool* wrongPlace) {
    const double start = nowMs();
    Process p = Process::start(exe, arguments, folder);
    double shown = -1;
    while (p.running() && nowMs() - start < kGiveUpMs) {
        if (shownAt(windowClass, place, wrongPlace)) {
            shown = nowMs() - start;
            break;
        }
        ::Sleep(1);
    }
    p.kill();
    // The next run starts with no such window left.
    while (::FindWindowW(windowClass, nullptr) && nowMs() - start < 2 * kGiveUpMs) ::Sleep(10);
    return shown;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 10;
    const std::wstring kovalt = fullPath(argc > 2 ? argv[2] : ownFolder() + L"\\..\\kovalt.exe");
    const std::wstring minimal = ownFolder() + L"\\kovalt_bench_minimal_window.exe";

    ScratchFolder folder(L"kovalt bench start");
    const std::wstring instance = L"KVBSTART" + std::to_wstring(::GetCurrentProcessId());
    ScratchKey section(instanceKeyPath(instance));
    if (!::CopyFileW(kovalt.c_str(), (folder / (instance + L".exe")).c_str(), FALSE) ||
        !::CopyFileW(minimal.c_str(), (folder / L"minimal window.exe").c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy the programs into the scratch folder\n");
        return 1;
    }
    setInstanceValue(instance, L"PROCESS_NAME_TEXTBOX", L"kvbench-not-running.exe");
    setInstanceValue(instance, L"ENABLED_TICKBOX", L"1");
    setInstanceValue(instance, L"AlwaysOnTop_TICKBOX", L"0");
    setInstanceValue(instance, L"MAIN_Left", L"1500");
    setInstanceValue(instance, L"MAIN_Top", L"1200");

    // The place as the strip will read it: the stored left and top, the default size.
    platform::RegistryStore store;
    const settings::TwipRect place =
        settings::readPlacement(settings::InstanceSettings(store, instance),
                                settings::keys::kMainPlacement);
    const settings::PixelRect pixels = settings::toPixels(place, ::GetDpiForSystem());
    const std::wstring minimalArguments =
        std::to_wstring(pixels.left) + L" " + std::to_wstring(pixels.top) + L" " +
        std::to_wstring(pixels.width()) + L" " + std::to_wstring(pixels.height());

    std::vector<double> stripMs, minimalMs;
    bool stripWrongPlace = false, minimalWrongPlace = false;
    int failures = 0;
    for (int run = -1; run < runs; ++run) {  // run -1 warms up and is not counted
        const double s = timeToShown(folder / (instance + L".exe"), L"", folder.path(),
                                     L"KOVALT_MAIN", place, &stripWrongPlace);
        const double m = timeToShown(folder / L"minimal window.exe", minimalArguments,
                                     folder.path(), L"KOVALT_BENCH_MINIMAL", place,
                                     &minimalWrongPlace);
        if (s < 0 || m < 0) ++failures;
        if (run < 0) continue;
        if (s >= 0) stripMs.push_back(s);
        if (m >= 0) minimalMs.push_back(m);
        std::fprintf(stderr, "start run %d: strip %.1f ms, minimal %.1f ms\n", run + 1, s, m);
    }

    const Stats strip = statsOf(stripMs), base = statsOf(minimalMs);
    std::printf("## 5. Start\n\n");
    std::printf("From just before CreateProcess until `FindWindow` finds the window visible with "
                "exactly the expected outer rectangle (polled every millisecond or so): for the "
                "strip its stored place (MAIN_Left 1500, MAIN_Top 1200 twips, default size: "
                "%ld,%ld %ldx%ld px), for the minimal program the same rectangle given on its "
                "command line. The two alternate; one warm-up run each is not counted.\n\n",
                pixels.left, pixels.top, pixels.width(), pixels.height());
    std::printf("| Program | Median | Min | Max | Runs |\n|---|---:|---:|---:|---:|\n");
    std::printf("| kovalt.exe (renamed copy, monitoring on) | %s ms | %s ms | %s ms | %zu |\n",
                fixed(strip.median, 1).c_str(), fixed(strip.min, 1).c_str(),
                fixed(strip.max, 1).c_str(), strip.count);
    std::printf("| minimal window program | %s ms | %s ms | %s ms | %zu |\n\n",
                fixed(base.median, 1).c_str(), fixed(base.min, 1).c_str(),
                fixed(base.max, 1).c_str(), base.count);
    std::printf("- strip / minimal (medians): **%s**\n", fixed(strip.median / base.median, 2).c_str());
    std::printf("- runs that did not show the window within %lu s: %d\n", kGiveUpMs / 1000,
                failures);
    std::printf("- a window seen visible somewhere else first (moved into place after showing): "
                "strip %s, minimal %s\n\n",
                stripWrongPlace ? "yes" : "no", minimalWrongPlace ? "yes" : "no");

    std::printf("@summary | 5. Start | strip %s ms, minimal %s ms (medians of %zu); ratio %s | - | "
                "- |\n",
                fixed(strip.median, 1).c_str(), fixed(base.median, 1).c_str(), strip.count,
                fixed(strip.median / base.median, 2).c_str());
    return failures ? 2 : 0;
}
