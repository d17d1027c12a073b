// Start: from CreateProcess to the strip shown at its stored place, against the minimal window
// program shown at the same place (given on its command line). The two alternate, each run
// waits for the window to be visible with exactly the expected outer rectangle.
//
//   kovalt_bench_start [runs = 10] [kovalt.exe = ..\kovalt.exe]
#include "bench/bench.h"
#include "settings/placement.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

constexpr DWORD kGiveUpMs = 30000;

// Whether the window of that class is visible with exactly the outer rectangle of `place`;
// `wrongPlace` is set when it is visible anywhere else.
bool shownAt(const wchar_t* windowClass, const settings::TwipRect& place, bool* wrongPlace) {
    HWND window = ::FindWindowW(windowClass, nullptr);
    RECT r;
    if (!window || !::IsWindowVisible(window) || !::GetWindowRect(window, &r)) return false;
    const bool there = ui::PixelRect{r.left, r.top, r.right, r.bottom} ==
                       ui::toPixels(place, ::GetDpiForWindow(window));
    *wrongPlace = *wrongPlace || !there;
    return there;
}

// Milliseconds from just before CreateProcess until the window shows at its place; -1 when it
// did not within the time allowed.
double timeToShown(const std::wstring& exe, const std::wstring& arguments,
                   const wchar_t* windowClass, const settings::TwipRect& place, bool* wrongPlace) {
    const double start = nowMs();
    ProcessInfo p = startProcess(exe, arguments);
    double shown = -1;
    while (running(p) && nowMs() - start < kGiveUpMs) {
        if (shownAt(windowClass, place, wrongPlace)) {
            shown = nowMs() - start;
            break;
        }
        ::Sleep(1);
    }
    stop(p);
    // The next run starts with no such window left.
    while (::FindWindowW(windowClass, nullptr) && nowMs() - start < 2 * kGiveUpMs) ::Sleep(10);
    return shown;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int runs = arg(1, 10);

    ScratchFolder folder(L"kovalt bench start");
    ScratchInstance instance(L"KVBSTART" + uniqueSuffix(), L"kvbench-not-running.exe");
    if (!copyPrograms(
            {{arg.kovalt(2), folder / (instance.name + L".exe")},
             {builtProgram(L"kovalt_bench_minimal_window.exe"), folder / L"minimal window.exe"}}))
        return 1;
    const settings::PlacementKeys& keys = settings::keys::kMainPlacement;
    instance.section.save(keys.left, L"1500");
    instance.section.save(keys.top, L"1200");

    // The place as the strip will read it: the stored left and top, the default size.
    const settings::TwipRect place = settings::readPlacement(instance.section, keys);
    const ui::PixelRect pixels = ui::toPixels(place, ::GetDpiForSystem());
    const std::wstring minimalArguments =
        std::to_wstring(pixels.left) + L" " + std::to_wstring(pixels.top) + L" " +
        std::to_wstring(pixels.width()) + L" " + std::to_wstring(pixels.height());

    std::vector<double> stripMs, minimalMs;
    bool stripWrongPlace = false, minimalWrongPlace = false;
    int failures = 0;
    for (int run = -1; run < runs; ++run) {  // run -1 warms up and is not counted
        const double s = timeToShown(folder / (instance.name + L".exe"), L"", L"KOVALT_MAIN", place,
                                     &stripWrongPlace);
        const double m = timeToShown(folder / L"minimal window.exe", minimalArguments,
                                     L"KOVALT_BENCH_MINIMAL", place, &minimalWrongPlace);
        if (s < 0 || m < 0) ++failures;
        if (run < 0) continue;
        if (s >= 0) stripMs.push_back(s);
        if (m >= 0) minimalMs.push_back(m);
    }

    const Stats strip = statsOf(stripMs), base = statsOf(minimalMs);
    std::printf("## 5. Start\n\n");
    std::printf(
        "From just before CreateProcess until `FindWindow` finds the window visible with "
        "exactly the expected outer rectangle (polled every millisecond or so): for the "
        "strip its stored place (MAIN_Left 1500, MAIN_Top 1200 twips, default size: "
        "%ld,%ld %ldx%ld px), for the minimal program the same rectangle given on its "
        "command line. The two alternate; one warm-up run each is not counted.\n\n",
        pixels.left, pixels.top, pixels.width(), pixels.height());
    printTimes(
        "Program", "Runs",
        {{"kovalt.exe (renamed copy, monitoring on)", strip}, {"minimal window program", base}}, 1);
    std::printf("\n- strip / minimal (medians): **%.2f**\n", strip.median / base.median);
    std::printf("- runs that did not show the window within %lu s: %d\n", kGiveUpMs / 1000,
                failures);
    std::printf(
        "- a window seen visible somewhere else first (moved into place after showing): "
        "strip %s, minimal %s\n\n",
        stripWrongPlace ? "yes" : "no", minimalWrongPlace ? "yes" : "no");

    std::printf(
        "@summary | 5. Start | strip %.1f ms, minimal %.1f ms (medians of %zu); ratio %.2f | "
        "- | - |\n",
        strip.median, base.median, strip.count, strip.median / base.median);
    return failures ? 2 : 0;
}
