// Soak: many ticks of the real strip, the watched process stopped and started again every few
// hundred; handles, GDI and USER objects and memory read every thousand ticks.
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

// NtQuerySystemInformation(SystemExtendedHandleInformation): every open handle of the machine
// with the id of the process holding it.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId, handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex, objectTypeIndex;
    ULONG handleAttributes, reserved;
};

long long systemHandleCount() {
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    static std::vector<char> buffer(1 << 20);  // kept: measuring must not allocate each time
    NTSTATUS status = 0;
    while (query && (status = query(64 /* SystemExtendedHandleInformation */, buffer.data(),
                                    static_cast<ULONG>(buffer.size()), nullptr)) ==
                        static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    if (!query || status < 0) return -1;
    // The list: a count, a reserved word, then the entries.
    const auto* entries =
        reinterpret_cast<const HandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    long long count = 0;
    for (ULONG_PTR i = 0; i < *reinterpret_cast<const ULONG_PTR*>(buffer.data()); ++i)
        count += entries[i].processId == ::GetCurrentProcessId();
    return count;
}

// The live entries of the GDI handle table at 0xF8 in the 64-bit PEB: 0x10000 entries of 24
// bytes, a layout Windows and Wine share, the type byte at 14 and 0 when free.
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

BOOL CALLBACK countOwn(HWND window, LPARAM counter) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    *reinterpret_cast<long long*>(counter) += processId == ::GetCurrentProcessId();
    return TRUE;
}
// The windows of this process: top-level ones, message-only ones and all their children.
long long ownWindowCount() {
    long long windows = 0;
    const auto counter = reinterpret_cast<LPARAM>(&windows);
    ::EnumChildWindows(::GetDesktopWindow(), countOwn, counter);
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
        countOwn(w, counter);
        ::EnumChildWindows(w, countOwn, counter);
    }
    return windows;
}

// Handles, GDI objects, USER objects, private bytes, committed memory (own + writable images).
// Where GetProcessHandleCount, GetGuiResources or PrivateUsage answer 0 (Wine), what Wine keeps.
constexpr int kCounters = 5;
struct Snapshot {
    int tick = 0;
    double minutes = 0;
    long long counts[kCounters];
    bool fallback[kCounters - 1];
};

Snapshot takeSnapshot(int tick, double startMs) {
    Snapshot s{tick, (nowMs() - startMs) / 60000.0, {}, {}};
    const HANDLE self = ::GetCurrentProcess();
    DWORD handles = 0;
    ::GetProcessHandleCount(self, &handles);
    const long long kept[] = {handles, ::GetGuiResources(self, GR_GDIOBJECTS),
                              ::GetGuiResources(self, GR_USEROBJECTS)};
    long long (*const counted[])() = {systemHandleCount, gdiTableCount, ownWindowCount};
    for (int i = 0; i < 3; ++i)
        s.counts[i] = (s.fallback[i] = kept[i] <= 0) ? counted[i]() : kept[i];
    const Memory m = memoryOf(self);  // last: the first handle count allocates its buffer
    s.fallback[3] = m.privateUsage <= 0;
    s.counts[3] = s.fallback[3] ? m.pagefile : m.privateUsage;
    s.counts[4] = m.own + m.writableImages;
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

    // Filled in place, not grown: a vector filling its room during the run would show as growth.
    std::vector<double> tickMs(wanted, 0.0);
    std::vector<Snapshot> readings(wanted / 1000);
    size_t readingCount = 0;
    int stops = 0, starts = 0, wrongLooks = 0, last = 0;
    bool limited = false;
    double estimateMinutes = 0;
    const double startMs = nowMs();

    for (int t = 1; t <= wanted; ++t) {
        if (t > 1 && (t - 1) % toggleEvery == 0) {
            const bool stopping = running(strip.watched);
            stopping ? strip.stopWatched() : void(strip.startWatched());
            ++(stopping ? stops : starts);
        }
        tickMs[t - 1] = timed([&] { strip.tick(); });
        strip.paint();
        strip.alerts();
        wrongLooks += strip.runLightText() != (running(strip.watched) ? L"RUNNING" : L"STOPPED");
        last = t;

        if (t == kEstimateAfter) {
            estimateMinutes = (nowMs() - startMs) / t * wanted / 60000.0;
            limited = estimateMinutes > allowedMinutes;
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

    readings.resize(readingCount);
    tickMs.resize(last);
    if (readings.size() < 2 || readings.front().tick != kFirstReading)
        return fail("soak: too few ticks for two readings");
    const Snapshot first = readings.front(), end = readings.back();
    long long delta[kCounters];
    for (int i = 0; i < kCounters; ++i) delta[i] = end.counts[i] - first.counts[i];
    const bool met = delta[0] <= 0 && delta[1] <= 0 && delta[2] <= 0 && delta[3] < 256 * 1024 &&
                     delta[4] < 256 * 1024;
    const Stats tick = statsOf(tickMs);

    std::printf("## 3. Soak\n\n");
    std::printf("- ticks run: **%d** of %d wanted, in %.1f minutes (estimated after %d: %.1f%s)\n",
                last, wanted, totalMinutes, kEstimateAfter, estimateMinutes,
                limited ? ", more than allowed: stopped at the last thousand that fitted" : "");
    std::printf("- tick (handler only): median %.3f ms (min %.3f, max %.3f, n = %zu)\n",
                tick.median, tick.min, tick.max, tick.count);
    std::printf(
        "- watched process stopped %d times and started %d times, every %d ticks; the stopped "
        "script ran %d times, the running script %d times\n",
        stops, starts, toggleEvery, strip.scriptRuns(L"STOPPED"), strip.scriptRuns(L"RUNNING"));
    std::printf("- run light wrong after a tick: %d times\n\n", wrongLooks);

    const char* names[kCounters] = {"handles", "GDI objects", "USER objects", "private bytes",
                                    "committed memory (own + writable images)"};
    const char* wine[kCounters] = {" (SystemExtendedHandleInformation)", " (GDI handle table)",
                                   " (windows only)", " (PagefileUsage)", ""};
    std::printf(
        "| Counter | After tick %d | After tick %d | Change | Target |\n"
        "|---|---:|---:|---:|---|\n",
        first.tick, end.tick);
    for (int i = 0; i < kCounters; ++i) {
        std::printf("| %s%s | %lld | %lld | %+lld", names[i],
                    i < 4 && end.fallback[i] ? wine[i] : "", first.counts[i], end.counts[i],
                    delta[i]);
        std::printf(i < 3 ? " | +0 |\n" : " (%+.1f KB) | under +256 KB |\n", delta[i] / 1024.0);
    }
    std::printf(
        "\nTarget: **%s**.\n\nEvery thousand ticks:\n\n| Tick | Minutes | Handles | GDI | "
        "Windows | Private bytes (KB) | Committed (KB) |\n|---:|---:|---:|---:|---:|---:|---:|\n",
        met ? "met" : "missed");
    for (const Snapshot& s : readings)
        std::printf("| %d | %.1f | %lld | %lld | %lld | %.1f | %.1f |\n", s.tick, s.minutes,
                    s.counts[0], s.counts[1], s.counts[2], s.counts[3] / 1024.0,
                    s.counts[4] / 1024.0);

    std::printf(
        "\n@summary | 3. Soak | %d ticks in %.1f min; tick %d to %d: handles %+lld, GDI "
        "%+lld, windows %+lld, private bytes %+.1f KB, committed %+.1f KB | +0, +0, +0, "
        "< +256 KB | %s |\n",
        last, totalMinutes, first.tick, end.tick, delta[0], delta[1], delta[2], delta[3] / 1024.0,
        delta[4] / 1024.0, met ? "met" : "missed");
    return wrongLooks ? 2 : 0;
}
