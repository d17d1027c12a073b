// Soak: many ticks of the real strip with the real probe in one process, the watched process
// stopped and started again every few hundred ticks; its handles, GDI and USER objects and
// memory read every thousand ticks, and the first reading compared with the last.
//
//   kovalt_bench_soak [ticks = 20000] [toggle every = 500] [minutes allowed = 30]
//                     [minutes to fill when the ticks do not fit = 25]
// The number of ticks is a multiple of 1,000 and of twice the toggle interval.
#include "bench/bench.h"

#include <winternl.h>

#include "platform/ui/window.h"

using namespace kovalt;
using namespace kovalt::bench;

namespace {

// A resource counter, and where its figure came from: under Wine GetProcessHandleCount and
// GetGuiResources answer 0, and the counters fall back to what Wine keeps.
struct Counter {
    long long value = 0;
    const char* source = "";
};

// NtQuerySystemInformation(SystemExtendedHandleInformation): every open handle of the machine
// with the id of the process holding it.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId, handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex, objectTypeIndex;
    ULONG handleAttributes, reserved;
};
struct HandleList {
    ULONG_PTR count, reserved;
    HandleEntry entries[1];
};

long long systemHandleCount(DWORD processId) {
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    // Kept from call to call, so measuring does not itself allocate and free each time.
    static std::vector<char> buffer(1 << 20);
    NTSTATUS status = 0;
    while (query && (status = query(64 /* SystemExtendedHandleInformation */, buffer.data(),
                                    static_cast<ULONG>(buffer.size()), nullptr)) ==
                        static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    if (!query || status < 0) return -1;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long long count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i) count += list->entries[i].processId == processId;
    return count;
}

// The live entries of the GDI handle table the process environment block points at (at 0xF8 in
// the 64-bit PEB): 0x10000 entries of 24 bytes, a layout Windows and Wine share, the type byte
// at 14 and 0 when free.
long long gdiTableCount() {
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query ||
        query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) < 0)
        return -1;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    long long count = 0;
    for (size_t i = 0; table && i < 0x10000; ++i) count += table[24 * i + 14] != 0;
    return table ? count : -1;
}

BOOL CALLBACK countChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<long long*>(counter);
    return TRUE;
}

BOOL CALLBACK countOwnTopLevel(HWND window, LPARAM counter) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == ::GetCurrentProcessId()) {
        countChild(window, counter);
        ::EnumChildWindows(window, countChild, counter);
    }
    return TRUE;
}

// The windows of this process: top-level ones, message-only ones and all their children.
long long ownWindowCount() {
    long long windows = 0;
    ::EnumWindows(countOwnTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        countOwnTopLevel(w, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The counters read, in the order of the tables; the committed memory is the upper bound of
// private bytes that the footprint is judged on.
constexpr int kCounters = 5;
constexpr const char* kNames[kCounters] = {"handles", "GDI objects", "USER objects",
                                           "private bytes", "committed memory"};
struct Snapshot {
    int tick = 0;
    double minutes = 0;
    Counter counts[kCounters];
};

Snapshot takeSnapshot(int tick, double startMs) {
    Snapshot s{tick, (nowMs() - startMs) / 60000.0};
    const HANDLE self = ::GetCurrentProcess();
    DWORD handles = 0;
    const DWORD gdi = ::GetGuiResources(self, GR_GDIOBJECTS),
                user = ::GetGuiResources(self, GR_USEROBJECTS);
    s.counts[0] = ::GetProcessHandleCount(self, &handles) && handles > 0
                      ? Counter{handles, "GetProcessHandleCount"}
                      : Counter{systemHandleCount(::GetCurrentProcessId()),
                                "handles of this process in NtQuerySystemInformation("
                                "SystemExtendedHandleInformation); GetProcessHandleCount "
                                "answers 0 under Wine"};
    s.counts[1] = gdi > 0 ? Counter{gdi, "GetGuiResources(GR_GDIOBJECTS)"}
                          : Counter{gdiTableCount(),
                                    "live entries of the process's GDI handle table (PEB "
                                    "GdiSharedHandleTable, stock objects included); "
                                    "GetGuiResources answers 0 under Wine"};
    s.counts[2] = user > 0 ? Counter{user, "GetGuiResources(GR_USEROBJECTS)"}
                           : Counter{ownWindowCount(),
                                     "windows of the process only (top-level, message-only and "
                                     "children); GetGuiResources answers 0 under Wine and no "
                                     "other USER objects can be counted"};
    // Memory last: the first handle count allocates the buffer it keeps.
    const Memory m = memoryOf(self);
    s.counts[3] = m.privateUsage > 0
                      ? Counter{m.privateUsage, "PrivateUsage"}
                      : Counter{m.pagefile,
                                "PagefileUsage; Wine answers 0 for PrivateUsage and gives "
                                "as PagefileUsage the Linux process's anonymous "
                                "resident memory"};
    s.counts[4] = {m.own + m.writableImages,
                   "VirtualQueryEx over the address space, committed memory of type MEM_PRIVATE "
                   "plus the writable pages of mapped images (the upper bound of PrivateUsage the "
                   "footprint is judged on)"};
    return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Arguments arg{argc, argv};
    const int wanted = arg(1, 20000), toggleEvery = arg(2, 500);
    const double allowedMinutes = arg(3, 30), fillMinutes = arg(4, 25);
    constexpr int kFirstReading = 1000, kEstimateAfter = 200;

    StripUnderTest strip(L"soak", platform::checkProcessRunning);
    if (!strip.startWatched() || !strip.open()) return fail("the strip could not be set up");

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
            if (running(strip.watched)) {
                strip.stopWatched();
                ++stops;
            } else {
                strip.startWatched();
                ++starts;
            }
        }
        tickMs[t - 1] = timed([&] { strip.tick(); });
        strip.paint();
        wrongLooks += strip.runLightText() != (running(strip.watched) ? L"RUNNING" : L"STOPPED");
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
    ui::pumpMessages(std::chrono::milliseconds(3000));  // the last scripts finish writing
    const int stoppedRuns = strip.scriptRuns(L"STOPPED"),
              runningRuns = strip.scriptRuns(L"RUNNING");

    readings.resize(readingCount);
    tickMs.resize(last);
    if (readings.size() < 2 || readings.front().tick != kFirstReading)
        return fail("soak: too few ticks for two readings");
    const Snapshot first = readings.front(), end = readings.back();
    long long delta[kCounters];
    for (int i = 0; i < kCounters; ++i) delta[i] = end.counts[i].value - first.counts[i].value;
    const bool met = delta[0] <= 0 && delta[1] <= 0 && delta[2] <= 0 && delta[3] < 256 * 1024 &&
                     delta[4] < 256 * 1024;
    const Stats tick = statsOf(tickMs);

    std::printf("## 3. Soak\n\n");
    std::printf(
        "One process, one real strip, the real WMI probe and the real script start; the "
        "watched process is killed or started again every %d ticks (before ticks %d, "
        "%d, ...), and the BATS folder holds two one-line scripts. Both readings are taken "
        "after a tick while the watched process is stopped. The estimate after %d ticks "
        "put %d ticks at %.1f minutes%s\n\n",
        toggleEvery, toggleEvery + 1, 2 * toggleEvery + 1, kEstimateAfter, wanted, estimateMinutes,
        limited ? ", more than the allowed time, so the run stopped at the last whole "
                  "thousand that fitted."
                : ", within the allowed time, so all were run.");
    std::printf("- ticks run: **%d** of %d wanted, in %.1f minutes\n", last, wanted, totalMinutes);
    std::printf("- tick (handler only): median %.3f ms (min %.3f, max %.3f, n = %zu)\n",
                tick.median, tick.min, tick.max, tick.count);
    std::printf(
        "- watched process stopped %d times and started %d times; the stopped script ran "
        "%d times, the running script %d times\n",
        stops, starts, stoppedRuns, runningRuns);
    std::printf("- run light wrong after a tick: %d times\n\n", wrongLooks);

    std::printf(
        "| Counter | After tick %d | After tick %d | Change | Target |\n"
        "|---|---:|---:|---:|---|\n",
        first.tick, end.tick);
    for (int i = 0; i < kCounters; ++i) {
        std::printf("| %s%s | %lld | %lld | %+lld", kNames[i],
                    i == 2   ? " (windows only, see below)"
                    : i == 4 ? " (own + writable images)"
                             : "",
                    first.counts[i].value, end.counts[i].value, delta[i]);
        if (i < 3)
            std::printf(" | +0 |\n");
        else
            std::printf(" (%+.1f KB) | under +256 KB |\n", delta[i] / 1024.0);
    }
    std::printf("\nTarget: **%s**.\n\nWhere the figures come from here:\n\n",
                met ? "met" : "missed");
    for (int i = 0; i < kCounters; ++i) std::printf("- %s: %s\n", kNames[i], end.counts[i].source);

    std::printf(
        "\nEvery thousand ticks:\n\n| Tick | Minutes | Handles | GDI | Windows | "
        "Private bytes (KB) | Committed (KB) |\n|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Snapshot& s : readings)
        std::printf("| %d | %.1f | %lld | %lld | %lld | %.1f | %.1f |\n", s.tick, s.minutes,
                    s.counts[0].value, s.counts[1].value, s.counts[2].value,
                    s.counts[3].value / 1024.0, s.counts[4].value / 1024.0);

    std::printf(
        "\n@summary | 3. Soak | %d ticks in %.1f min; tick %d to %d: handles %+lld, GDI "
        "%+lld, windows %+lld, private bytes %+.1f KB, committed %+.1f KB | +0, +0, +0, "
        "< +256 KB | %s |\n",
        last, totalMinutes, first.tick, end.tick, delta[0], delta[1], delta[2], delta[3] / 1024.0,
        delta[4] / 1024.0, met ? "met" : "missed");
    return wrongLooks ? 2 : 0;
}
