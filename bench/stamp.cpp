// Run by the alert scripts of the latency benchmark. Appends one line to the file named by its
// first argument: the performance counter at its own start (the same counter in every process),
// and the creation time of its parent, the cmd.exe running the script, as a FILETIME count (the
// system clock, as GetSystemTimePreciseAsFileTime reads it). The benchmark compares both with
// the moment it killed the watched process.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {
DWORD parentProcessId() {
    DWORD parent = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == ::GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    ::CloseHandle(snapshot);
    return parent;
}

long long creationTime(DWORD processId) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return 0;
    FILETIME created, exited, kernel, user;
    long long value = 0;
    if (::GetProcessTimes(process, &created, &exited, &kernel, &user))
        value = (static_cast<long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    ::CloseHandle(process);
    return value;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (argc < 2) return 1;
    const long long parentCreated = creationTime(parentProcessId());
    char line[64];
    const int length =
        std::snprintf(line, sizeof(line), "%lld %lld\r\n", now.QuadPart, parentCreated);
    HANDLE file = ::CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
