// What the benchmark programs share: a high-resolution clock, medians, scratch registry
// sections, helper processes, and the resource counters of a process. Scratch folders and
// whole-file reads and writes are the tests' own (tests/support/scratch.h).
//
// Every benchmark prints its results as Markdown on standard output; a line that begins with
// "@summary " is a row of the overview table that scripts/bench.sh puts at the top of
// BENCHMARKS.md, everything else is the benchmark's own section.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/scratch.h"

namespace kovalt::bench {

using test::fileExists;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// The size in bytes, -1 when the file cannot be read.
long long fileSize(const std::wstring& path);

// ---- Time -----------------------------------------------------------------------------------

// QueryPerformanceCounter in milliseconds. The counter is the same in every process of the
// machine, so times taken by different programs can be compared.
double nowMs();
double countsToMs(long long counts);
long long counterNow();

struct Stats {
    size_t count = 0;
    double median = 0, min = 0, max = 0, mean = 0;
};
Stats statsOf(std::vector<double> values);

// "12.345" with the given number of decimals.
std::string fixed(double value, int decimals = 3);
// "median 1.234 ms (min 1.000, max 2.000, n = 300)"
std::string describeMs(const Stats& s, int decimals = 3);

// ---- Folders, files, registry ------------------------------------------------------------------

// The folder of the running benchmark program.
std::wstring ownFolder();
// A path made absolute and tidy ("a\..\b" becomes "b").
std::wstring fullPath(const std::wstring& path);
std::string narrow(const std::wstring& text);
std::wstring widen(const std::string& text);

// A registry key under HKEY_CURRENT_USER removed with everything below it at the end.
class ScratchKey {
public:
    explicit ScratchKey(std::wstring path) : path_(std::move(path)) {}
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// The program's real settings root, where a started kovalt.exe reads its instance section.
std::wstring instanceKeyPath(const std::wstring& instanceName);
bool setInstanceValue(const std::wstring& instanceName, const std::wstring& key,
                      const std::wstring& value);

// ---- Processes -------------------------------------------------------------------------------

// A started process, killed (if still running) when the object ends.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { kill(); }

    // CreateProcess of `exe` with `arguments` appended to its quoted path, in `folder`.
    static Process start(const std::wstring& exe, const std::wstring& arguments,
                         const std::wstring& folder, DWORD flags = 0);

    bool running() const;
    HANDLE handle() const { return process_; }
    DWORD id() const { return id_; }
    // TerminateProcess and wait until it has ended.
    void kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The helper that waits until it is killed, copied to `folder\exeName`.
bool copySleeper(const std::wstring& folder, const std::wstring& exeName);
// How many processes of that executable name run, from a Toolhelp snapshot (case ignored).
unsigned toolhelpCount(const std::wstring& exeName);
// Waits until a Toolhelp snapshot shows (or no longer shows) the name.
bool waitForProcessCount(const std::wstring& exeName, bool present, DWORD timeoutMs = 10000);

// Dispatches this thread's queued messages except WM_TIMER, so a window's own timers never tick
// on their own while a benchmark calls its handlers itself.
void pumpExceptTimers();

// ---- Resource counters -------------------------------------------------------------------------

// Each counter says where its figure came from. Under Wine, GetProcessHandleCount,
// GetGuiResources and PrivateUsage all answer 0; the counters then fall back to what Wine does
// keep (see the .cpp) and say so.
struct Counter {
    long long value = 0;
    const char* source = "";
};

Counter handleCount();
Counter gdiObjectCount();
Counter userObjectCount();
// Private bytes of a process (the current one by default).
Counter privateBytes(HANDLE process = ::GetCurrentProcess());
long long workingSetBytes(HANDLE process = ::GetCurrentProcess());

// The committed memory of a process by kind, from walking its address space with VirtualQueryEx
// (which Wine answers as Windows does): memory of its own (heaps, stacks, VirtualAlloc), and the
// writable parts of the program and DLL images mapped into it. A DLL's writable pages become
// private on Windows only when written, so the second figure is an upper bound of what images
// add to private bytes there.
struct CommittedMemory {
    long long own = -1;
    long long writableImages = -1;
};
CommittedMemory committedMemory(HANDLE process);

}  // namespace kovalt::bench
