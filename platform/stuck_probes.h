// What the stuck checks look at: a file's last write time and size, whether an address answers,
// the CPU time of processes, whether their windows respond. Each is cheap, and none blocks the
// window thread: what may hang (a file on a share whose server is gone, a host name slow to
// resolve, a connection) runs on a thread of its own and reports back through the program's
// message loops. What they saw is kept in plain types, which the checks read natively.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/address.h"

#ifdef _WIN32
#include <chrono>
#include <functional>
#include <memory>
#endif

namespace kovalt::platform {

enum class FileState { Missing, Present, Unreadable };

// A file as it was seen: its attributes only, never its content.
struct FileSeen {
    FileState state = FileState::Missing;
    unsigned long long written = 0;  // last write time, as the file system keeps it
    unsigned long long size = 0;
    std::wstring why;  // when unreadable: in plain words
};

// The CPU time of processes.
struct CpuSeen {
    std::map<unsigned long, unsigned long long> times;  // by process id: kernel + user, 100 ns
    std::vector<unsigned long> unread;                  // the ids that could not be read
    std::wstring why;                                   // why the first of them could not
};

// The visible top-level windows of processes, and how many of them do not respond.
struct WindowsSeen {
    unsigned visible = 0;
    unsigned hung = 0;
};

#ifdef _WIN32
// How long a look or a try may take before it counts as not answered.
inline constexpr std::chrono::milliseconds kAnswerLimit{5000};

// Work on its way off the window thread. Destroying it ends it at once: its thread finishes on
// its own and what it finds is dropped; nothing is called after.
class Errand {
public:
    virtual ~Errand() = default;
    // Its thread still runs, though it may have been answered for as late. The next look of its
    // kind waits for it, so that a share or a name server that hangs does not gather threads.
    virtual bool working() const { return false; }
};

// Runs `work` on a thread of its own; `finished(true)` runs on this thread, from the program's
// message loops, once it is done, or `finished(false)` once `limit` has passed without it. Each
// errand takes two of the objects the loops wait on (ui::HandleWait).
std::unique_ptr<Errand> startErrand(std::function<void()> work, std::chrono::milliseconds limit,
                                    std::function<void(bool inTime)> finished);

// The same for work with an answer: `done` gets it, or `late` once `limit` has passed.
template <typename T>
std::unique_ptr<Errand> runErrand(std::function<T()> work, std::chrono::milliseconds limit, T late,
                                  std::function<void(const T&)> done) {
    // The answer is written by the thread before it signals, and read here only after that.
    auto answer = std::make_shared<T>(late);
    return startErrand([answer, work = std::move(work)] { *answer = work(); }, limit,
                       [answer, late = std::move(late), done = std::move(done)](bool inTime) {
                           done(inTime ? *answer : late);
                       });
}

// "5 s", "1500 ms": a limit as the user reads it.
std::wstring limitText(std::chrono::milliseconds limit);

// The file's last write time and size, or that it does not exist. On this thread: for a path
// the user gave, which may be on another machine, use startFileLook. That one looks at once,
// calling `done` before it returns (and returning no errand), when the file is on a local fixed
// disk, where the look takes microseconds and a thread started for it would cost more; else
// (a share, a mapped or removable drive) off this thread within `limit`.
FileSeen lookAtFile(const std::wstring& path);
std::unique_ptr<Errand> startFileLook(const std::wstring& path,
                                      std::function<void(const FileSeen&)> done,
                                      std::chrono::milliseconds limit = kAnswerLimit);

// Whether `host` (a name, or an IPv4 or IPv6 address) accepts a TCP connection on `port` within
// `limit`, the host name resolved off this thread too. Only the connection is made: nothing is
// sent, and it is closed at once.
std::unique_ptr<Errand> startConnect(const std::wstring& host, unsigned short port,
                                     std::function<void(const AddressAnswer&)> done,
                                     std::chrono::milliseconds limit = kAnswerLimit);

// How an http:// or https:// address is asked, filled by the program with its HTTP client:
// `done` gets httpAnswer(status) for the status that came within `limit`, or why none came.
using HttpAsk =
    std::function<std::unique_ptr<Errand>(const std::wstring& url, std::chrono::milliseconds limit,
                                          std::function<void(const AddressAnswer&)> done)>;

// Asks an address as its form says: a connection to host:port, or `http` for a URL (which
// answers "not asked" when the program gives no HTTP client).
std::unique_ptr<Errand> startAddressProbe(const Address& address,
                                          std::function<void(const AddressAnswer&)> done,
                                          const HttpAsk& http,
                                          std::chrono::milliseconds limit = kAnswerLimit);

// The CPU time of each of these processes (ids as the process count gave them).
CpuSeen cpuTimesOf(const std::vector<unsigned long>& ids);

// The visible top-level windows of these processes, and those Windows finds not responding
// (their thread has not asked for messages for about 5 s). A console program has none. Called
// on one thread only: the windows found are kept between calls and searched for again every
// tenth call, or sooner when they no longer match, so a window opened meanwhile may be counted
// up to ten calls late.
WindowsSeen windowsOf(const std::vector<unsigned long>& ids);
#endif

}  // namespace kovalt::platform
