#include "bench/bench_support.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <utility>

#include "platform/registry_store.h"

namespace kovalt::bench {

long long fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// ---- Time -----------------------------------------------------------------------------------

namespace {
long long frequency() {
    static const long long f = [] {
        LARGE_INTEGER v;
        ::QueryPerformanceFrequency(&v);
        return v.QuadPart;
    }();
    return f;
}
}  // namespace

long long counterNow() {
    LARGE_INTEGER v;
    ::QueryPerformanceCounter(&v);
    return v.QuadPart;
}

double countsToMs(long long counts) { return 1000.0 * static_cast<double>(counts) / frequency(); }

double nowMs() { return countsToMs(counterNow()); }

Stats statsOf(std::vector<double> values) {
    Stats s;
    s.count = values.size();
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / n;
    return s;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

std::string describeMs(const Stats& s, int decimals) {
    return "median " + fixed(s.median, decimals) + " ms (min " + fixed(s.min, decimals) +
           ", max " + fixed(s.max, decimals) + ", n = " + std::to_string(s.count) + ")";
}

// ---- Folders, files, registry ------------------------------------------------------------------

std::wstring ownFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L'\\'));
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return length && length < MAX_PATH * 4 ? std::wstring(buffer, length) : path;
}

std::string narrow(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring widen(const std::string& text) {
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring s(n > 0 ? n - 1 : 0, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, s.data(), n);
    return s;
}

ScratchKey::~ScratchKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

std::wstring instanceKeyPath(const std::wstring& instanceName) {
    return std::wstring(platform::kSettingsRoot) + L"\\KOVALT\\" + instanceName;
}

bool setInstanceValue(const std::wstring& instanceName, const std::wstring& key,
                      const std::wstring& value) {
    platform::RegistryStore store;
    return store.save(L"KOVALT", instanceName, key, value).ok();
}

// ---- Processes -------------------------------------------------------------------------------

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        kill();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process Process::start(const std::wstring& exe, const std::wstring& arguments,
                       const std::wstring& folder, DWORD flags) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION raw = {};
    Process p;
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &raw)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", narrow(exe).c_str(),
                     ::GetLastError());
        return p;
    }
    ::CloseHandle(raw.hThread);
    p.process_ = raw.hProcess;
    p.id_ = raw.dwProcessId;
    return p;
}

bool Process::running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Process::kill() {
    if (!process_) return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 10000);
    ::CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

bool copySleeper(const std::wstring& folder, const std::wstring& exeName) {
    const std::wstring source = ownFolder() + L"\\kovalt_bench_sleeper.exe";
    const std::wstring target = folder + L"\\" + exeName;
    if (::CopyFileW(source.c_str(), target.c_str(), FALSE)) return true;
    std::fprintf(stderr, "cannot copy the sleeper to %s: error %lu\n", narrow(target).c_str(),
                 ::GetLastError());
    return false;
}

unsigned toolhelpCount(const std::wstring& exeName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    unsigned count = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (::CompareStringOrdinal(entry.szExeFile, -1, exeName.c_str(), -1, TRUE) == CSTR_EQUAL)
            ++count;
    }
    ::CloseHandle(snapshot);
    return count;
}

bool waitForProcessCount(const std::wstring& exeName, bool present, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if ((toolhelpCount(exeName) > 0) == present) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(20);
    }
}

void pumpExceptTimers() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           ::PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// ---- Resource counters -------------------------------------------------------------------------

namespace {

// NtQuerySystemInformation(SystemExtendedHandleInformation): every open handle of the machine
// with the id of the process holding it.
constexpr ULONG kSystemExtendedHandleInformation = 64;
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

long long systemHandleCount(DWORD processId) {
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"),
                                                 "NtQuerySystemInformation")));
    // Kept from call to call, so measuring does not itself allocate and free each time.
    static std::vector<char> buffer(1 << 20);
    if (!query) return -1;
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = query(kSystemExtendedHandleInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status < 0) return -1;
        break;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long long count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        if (list->entries[i].processId == processId) ++count;
    return count;
}

// One entry of the GDI handle table the process environment block points at; Windows and Wine
// share this layout. Wine keeps one such table per process.
struct GdiTableEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiTableEntry) == 24);
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiSharedHandleTable = 0xF8;  // offset in the 64-bit PEB

long long gdiTableCount() {
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic),
                        nullptr) < 0)
        return -1;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const auto* table =
        *reinterpret_cast<const GdiTableEntry* const*>(peb + kPebGdiSharedHandleTable);
    if (!table) return -1;
    long long count = 0;
    for (size_t i = 0; i < kGdiTableEntries; ++i)
        if (table[i].type) ++count;
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
        ++*reinterpret_cast<long long*>(counter);
        ::EnumChildWindows(window, countChild, counter);
    }
    return TRUE;
}

// The windows of this process: top-level ones, message-only ones and all their children.
long long ownWindowCount() {
    long long count = 0;
    ::EnumWindows(countOwnTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        countOwnTopLevel(w, reinterpret_cast<LPARAM>(&count));
    return count;
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
    return {ownWindowCount(),
            "windows of the process only (top-level, message-only and children); "
            "GetGuiResources answers 0 under Wine and no other USER objects can be counted"};
}

Counter privateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof(counters)))
        return {-1, "GetProcessMemoryInfo failed"};
    if (counters.PrivateUsage > 0)
        return {static_cast<long long>(counters.PrivateUsage), "PrivateUsage"};
    return {static_cast<long long>(counters.PagefileUsage),
            "PagefileUsage; Wine answers 0 for PrivateUsage and gives as PagefileUsage the "
            "Linux process's anonymous resident memory"};
}

CommittedMemory committedMemory(HANDLE process) {
    CommittedMemory result;
    result.own = 0;
    result.writableImages = 0;
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    auto* address = static_cast<unsigned char*>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (address < system.lpMaximumApplicationAddress &&
           ::VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
        const DWORD writable =
            PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (region.State == MEM_COMMIT) {
            const auto size = static_cast<long long>(region.RegionSize);
            if (region.Type == MEM_PRIVATE)
                result.own += size;
            else if (region.Type == MEM_IMAGE && (region.Protect & writable))
                result.writableImages += size;
        }
        address = static_cast<unsigned char*>(region.BaseAddress) + region.RegionSize;
    }
    if (result.own == 0) result.own = result.writableImages = -1;
    return result;
}

long long workingSetBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(process, &counters, sizeof(counters))) return -1;
    return static_cast<long long>(counters.WorkingSetSize);
}

}  // namespace kovalt::bench
