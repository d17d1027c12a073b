// Run by the latency benchmark's alert scripts: appends to the file its argument names the
// performance counter at its start and the creation time (FILETIME) of the cmd.exe running it.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "platform/win_handles.h"

using kovalt::platform::UniqueHandle;

int wmain(int argc, wchar_t** argv) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (argc < 2) return 1;

    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    DWORD parent = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == ::GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent));
    FILETIME created = {}, exited, kernel, user;
    if (process) ::GetProcessTimes(process.get(), &created, &exited, &kernel, &user);

    char line[64];
    const int length = std::snprintf(
        line, sizeof(line), "%lld %lld\r\n", now.QuadPart,
        (static_cast<long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
    const UniqueHandle file(::CreateFileW(argv[1], FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                          0, nullptr));
    DWORD written = 0;
    return ::WriteFile(file.get(), line, static_cast<DWORD>(length), &written, nullptr) ? 0 : 1;
}
