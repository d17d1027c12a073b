// Soak: many ticks of the real strip with the real probe in one process, the watched process
// stopped and started again every few hundred ticks so that both looks and both scripts are
// exercised. Handles, GDI and USER objects, private bytes and committed memory are read after
// tick 1,000 and after the last tick; both readings fall in a stretch where the watched process
// is stopped.
//
//   kovalt_bench_soak [ticks = 20000] [toggle every = 500] [minutes allowed = 30]
//                     [minutes to fill when the ticks do not fit = 25]
// The number of ticks is a multiple of 1,000 and of twice the toggle interval.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench/bench_support.h"
#include "platform/ui/window.h"
#include "bench/strip_under_test.h"
#include "platform/process_query.h"
#include "platform/win_handles.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

struct Snapshot {
    int tick = 0;
    double minutes = 0;
    Counter handles, gdi, user, privateBytes;
    CommittedMemory committed;
    long long committedTotal() const { return committed.own + committed.writableImages; }
};

Snapshot takeSnapshot(int tick, double startMs) {
    return {tick, (nowMs() - startMs) / 60000.0, handleCount(), gdiObjectCount(),
            userObjectCount(), privateBytes(), committedMemory(::GetCurrentProcess())};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int wanted = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 20000;
    const int toggleEvery = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 500;
    const double allowedMinutes = argc > 3 ? std::wcstod(argv[3], nullptr) : 30;
    const double fillMinutes = argc > 4 ? std::wcstod(argv[4], nullptr) : 25;
    constexpr int kFirstReading = 1000;
    constexpr int kEstimateAfter = 200;

    platform::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    StripUnderTest strip(L"soak", platform::checkProcessRunning);
    if (!strip.startWatched() || !strip.open()) {
        std::fprintf(stderr, "the strip could not be set up\n");
        return 1;
    }

    // Filled in place rather than grown: private bytes under Wine count the pages a process has
    // touched, so a vector that fills its reserved room during the run would itself show as a
    // growth of eight bytes a tick.
    std::vector<double> tickMs(wanted, 0.0);
    std::vector<Snapshot> readings(wanted / 1000);
    size_t readingCount = 0;
    int stops = 0, starts = 0, wrongLooks = 0, last = 0;
    bool limited = false;
    double estimateMinutes = 0;
    const double startMs = nowMs();

    for (int t = 1; t <= wanted; ++t) {
        if (t > 1 && (t - 1) % toggleEvery == 0) {
            if (strip.watchedRunning()) {
                strip.stopWatched();
                ++stops;
            } else {
                strip.startWatched();
                ++starts;
            }
        }
        const double before = nowMs();
        strip.tick();
        tickMs[t - 1] = nowMs() - before;
        strip.paint();
        if (strip.runLightText() != (strip.watchedRunning() ? L"RUNNING" : L"STOPPED")) ++wrongLooks;
        last = t;

        if (t == kEstimateAfter) {
            estimateMinutes = (nowMs() - startMs) / t * wanted / 60000.0;
            limited = estimateMinutes > allowedMinutes;
            std::fprintf(stderr, "soak: %d ticks estimated at %.1f min%s\n", wanted,
                         estimateMinutes, limited ? ", more than allowed" : "");
        }
        if (t % 1000 == 0) {
            const Snapshot& s = readings[readingCount++] = takeSnapshot(t, startMs);
            std::fprintf(stderr, "soak: tick %d after %.1f min\n", t, s.minutes);
            // When all ticks do not fit, stop at the last thousand that fits the time to fill.
            const double perThousand = s.minutes / (t / 1000);
            if (limited && t >= 2 * kFirstReading && s.minutes + perThousand > fillMinutes) break;
        }
    }
    const double totalMinutes = (nowMs() - startMs) / 60000.0;
    kovalt::ui::pumpMessages(std::chrono::milliseconds(3000));  // the scripts of the last changes finish writing
    const int stoppedRuns = strip.scriptRuns(L"STOPPED"), runningRuns = strip.scriptRuns(L"RUNNING");

    readings.resize(readingCount);
    tickMs.resize(last);
    if (readings.size() < 2 || readings.front().tick != kFirstReading) {
        std::fprintf(stderr, "soak: too few ticks for two readings\n");
        return 1;
    }
    const Snapshot* first = &readings.front();
    const Snapshot& end = readings.back();
    const long long handleDelta = end.handles.value - first->handles.value;
    const long long gdiDelta = end.gdi.value - first->gdi.value;
    const long long userDelta = end.user.value - first->user.value;
    const long long bytesDelta = end.privateBytes.value - first->privateBytes.value;
    const long long committedDelta = end.committedTotal() - first->committedTotal();
    const bool met = handleDelta <= 0 && gdiDelta <= 0 && userDelta <= 0 &&
                     bytesDelta < 256 * 1024 && committedDelta < 256 * 1024;
    const Stats tick = statsOf(tickMs);

    std::printf("## 3. Soak\n\n");
    std::printf("One process, one real strip, the real WMI probe and the real script start; the "
                "watched process is killed or started again every %d ticks (before ticks %d, "
                "%d, ...), and the BATS folder holds two one-line scripts. Both readings are taken "
                "after a tick while the watched process is stopped. The estimate after %d ticks "
                "put %d ticks at %.1f minutes%s\n\n",
                toggleEvery, toggleEvery + 1, 2 * toggleEvery + 1, kEstimateAfter, wanted,
                estimateMinutes,
                limited ? ", more than the allowed time, so the run stopped at the last whole "
                          "thousand that fitted."
                        : ", within the allowed time, so all were run.");
    std::printf("- ticks run: **%d** of %d wanted, in %.1f minutes\n", last, wanted, totalMinutes);
    std::printf("- tick (handler only): %s\n", describeMs(tick).c_str());
    std::printf("- watched process stopped %d times and started %d times; the stopped script ran "
                "%d times, the running script %d times\n",
                stops, starts, stoppedRuns, runningRuns);
    std::printf("- run light wrong after a tick: %d times\n\n", wrongLooks);

    std::printf("| Counter | After tick %d | After tick %d | Change | Target |\n",
                first->tick, end.tick);
    std::printf("|---|---:|---:|---:|---|\n");
    std::printf("| handles | %lld | %lld | %+lld | +0 |\n", first->handles.value,
                end.handles.value, handleDelta);
    std::printf("| GDI objects | %lld | %lld | %+lld | +0 |\n", first->gdi.value, end.gdi.value,
                gdiDelta);
    std::printf("| USER objects (windows only, see below) | %lld | %lld | %+lld | +0 |\n",
                first->user.value, end.user.value, userDelta);
    std::printf("| private bytes | %lld | %lld | %+lld (%+.1f KB) | under +256 KB |\n\n",
                first->privateBytes.value, end.privateBytes.value, bytesDelta,
                bytesDelta / 1024.0);
    std::printf("| committed memory (own + writable images) | %lld | %lld | %+lld (%+.1f KB) | "
                "under +256 KB |\n\n",
                first->committedTotal(), end.committedTotal(), committedDelta,
                committedDelta / 1024.0);
    std::printf("Target: **%s**.\n\n", met ? "met" : "missed");
    std::printf("Where the figures come from here:\n\n");
    std::printf("- handles: %s\n", end.handles.source);
    std::printf("- GDI objects: %s\n", end.gdi.source);
    std::printf("- USER objects: %s\n", end.user.source);
    std::printf("- private bytes: %s\n", end.privateBytes.source);
    std::printf("- committed memory: VirtualQueryEx over the address space, committed memory of "
                "type MEM_PRIVATE plus the writable pages of mapped images (the upper bound of "
                "PrivateUsage the footprint is judged on)\n\n");

    std::printf("Every thousand ticks:\n\n");
    std::printf("| Tick | Minutes | Handles | GDI | Windows | Private bytes (KB) | "
                "Committed (KB) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Snapshot& s : readings)
        std::printf("| %d | %.1f | %lld | %lld | %lld | %.1f | %.1f |\n", s.tick, s.minutes,
                    s.handles.value, s.gdi.value, s.user.value, s.privateBytes.value / 1024.0,
                    s.committedTotal() / 1024.0);
    std::printf("\n");

    std::printf("@summary | 3. Soak | %d ticks in %.1f min; tick %d to %d: handles %+lld, GDI "
                "%+lld, windows %+lld, private bytes %+.1f KB, committed %+.1f KB | +0, +0, +0, < +256 KB "
                "| %s |\n",
                last, totalMinutes, first->tick, end.tick, handleDelta, gdiDelta, userDelta,
                bytesDelta / 1024.0, committedDelta / 1024.0, met ? "met" : "missed");
    return wrongLooks ? 2 : 0;
}
