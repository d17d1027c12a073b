// The resource counters of bench.h.
#include "bench/bench.h"

#include <psapi.h>
#include <winternl.h>

namespace kovalt::bench {

namespace {

template <typename Fn>
Fn ntdll(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

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
    static const auto query =
        ntdll<NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG)>("NtQuerySystemInformation");
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

// The GDI handle table the process environment block points at (offset 0xF8 in the 64-bit
// PEB), 0x10000 entries in a layout Windows and Wine share; Wine keeps one per process.
struct GdiTableEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type, flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiTableEntry) == 24);

long long gdiTableCount() {
    static const auto query =
        ntdll<NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG)>(
            "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query ||
        query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) < 0)
        return -1;
    const auto* table = *reinterpret_cast<const GdiTableEntry* const*>(
        reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + 0xF8);
    if (!table) return -1;
    long long count = 0;
    for (size_t i = 0; i < 0x10000; ++i) count += table[i].type != 0;
    return count;
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

}  // namespace

Counter handleCount() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0)
        return {count, "GetProcessHandleCount"};
    return {systemHandleCount(::GetCurrentProcessId()),
            "handles of this process in NtQuerySystemInformation(SystemExtendedHandleInformation); "
            "GetProcessHandleCount answers 0 under Wine"};
}

Counter gdiObjectCount() {
    const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (count > 0) return {count, "GetGuiResources(GR_GDIOBJECTS)"};
    return {gdiTableCount(),
            "live entries of the process's GDI handle table (PEB GdiSharedHandleTable, stock "
            "objects included); GetGuiResources answers 0 under Wine"};
}

Counter userObjectCount() {
    const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (count > 0) return {count, "GetGuiResources(GR_USEROBJECTS)"};
    // The windows of this process: top-level ones, message-only ones and all their children.
    long long windows = 0;
    ::EnumWindows(countOwnTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        countOwnTopLevel(w, reinterpret_cast<LPARAM>(&windows));
    return {windows,
            "windows of the process only (top-level, message-only and children); "
            "GetGuiResources answers 0 under Wine and no other USER objects can be counted"};
}

Memory memoryOf(HANDLE process) {
    Memory m;
    PROCESS_MEMORY_COUNTERS_EX c = {};
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c),
                               sizeof(c))) {
        m.privateUsage = static_cast<long long>(c.PrivateUsage);
        m.pagefile = static_cast<long long>(c.PagefileUsage);
        m.workingSet = static_cast<long long>(c.WorkingSetSize);
    }
    const DWORD writable =
        PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    MEMORY_BASIC_INFORMATION region;
    long long own = 0, images = 0;
    for (auto* address = static_cast<BYTE*>(system.lpMinimumApplicationAddress);
         address < system.lpMaximumApplicationAddress &&
         ::VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT) continue;
        if (region.Type == MEM_PRIVATE) own += static_cast<long long>(region.RegionSize);
        if (region.Type == MEM_IMAGE && (region.Protect & writable))
            images += static_cast<long long>(region.RegionSize);
    }
    if (own > 0) {
        m.own = own;
        m.writableImages = images;
    }
    return m;
}

}  // namespace kovalt::bench
