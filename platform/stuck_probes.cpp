#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/stuck_probes.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/ui/message_loop.h"
#include "platform/win_handles.h"

namespace kovalt::platform {

namespace {
unsigned long long joined(DWORD high, DWORD low) {
    return (static_cast<unsigned long long>(high) << 32) | low;
}
unsigned long long joined(const FILETIME& t) { return joined(t.dwHighDateTime, t.dwLowDateTime); }

class ThreadErrand final : public Errand {
public:
    ThreadErrand(std::function<void()> work, std::chrono::milliseconds limit,
                 std::function<void(bool)> finished)
        : shared_(std::make_shared<Shared>()), finished_(std::move(finished)) {
        shared_->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        timer_.reset(::CreateWaitableTimerW(nullptr, TRUE, nullptr));
        LARGE_INTEGER due;
        due.QuadPart = -10000LL * limit.count();  // relative, in 100 ns
        if (timer_ && ::SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE))
            lateWait_ = std::make_unique<ui::HandleWait>(timer_.get(), [this] { finish(false); });
        doneWait_ = std::make_unique<ui::HandleWait>(shared_->done.get(), [this] { finish(true); });
        // The thread holds only what it shares with this errand, never the errand itself.
        try {
            std::thread([shared = shared_, work = std::move(work)] {
                try {
                    work();
                } catch (...) {  // nothing may leave a thread; the answer stays "late"
                }
                shared->working = false;
                ::SetEvent(shared->done.get());
            }).detach();
        } catch (...) {
            shared_->working = false;
            ::SetEvent(shared_->done.get());
        }
    }
    bool working() const override { return shared_->working; }

private:
    struct Shared {
        UniqueHandle done;
        std::atomic<bool> working{true};
    };
    void finish(bool inTime) {
        doneWait_.reset();
        lateWait_.reset();
        // Last: whoever is told may end this errand.
        if (auto finished = std::move(finished_)) finished(inTime);
    }

    std::shared_ptr<Shared> shared_;
    UniqueHandle timer_;
    std::function<void(bool)> finished_;
    std::unique_ptr<ui::HandleWait> doneWait_, lateWait_;
};

// Winsock for the calling thread, for as long as the session lasts.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        error_ = ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() {
        if (!error_) ::WSACleanup();
    }
    int error() const { return error_; }

private:
    int error_;
};

struct Socket {
    SOCKET s;
    ~Socket() {
        if (s != INVALID_SOCKET) ::closesocket(s);
    }
};

std::wstring connectFailure(int error, const std::wstring& host, std::chrono::milliseconds limit) {
    switch (error) {
        case WSAECONNREFUSED: return L"the connection was refused";
        case WSAETIMEDOUT: return L"no answer within " + limitText(limit);
        case WSAHOST_NOT_FOUND:
        case WSANO_DATA: return L"no host is known by the name " + host;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH: return L"the host cannot be reached";
        default: return errorText(static_cast<DWORD>(error));
    }
}

AddressAnswer connectTo(const std::wstring& host, unsigned short port,
                        std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    WinsockSession session;
    if (session.error()) return {false, errorText(static_cast<DWORD>(session.error()))};
    ADDRINFOW hints = {};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (const int error =
            ::GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found))
        return {false, connectFailure(error, host, limit)};
    const std::unique_ptr<ADDRINFOW, decltype(&::FreeAddrInfoW)> list(found, ::FreeAddrInfoW);
    // Every address of the name in turn ("localhost" is ::1 and 127.0.0.1), the time left each.
    int error = WSAETIMEDOUT;
    for (const ADDRINFOW* a = found; a; a = a->ai_next) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const Socket s{::socket(a->ai_family, a->ai_socktype, a->ai_protocol)};
        u_long nonBlocking = 1;
        if (s.s == INVALID_SOCKET || ::ioctlsocket(s.s, FIONBIO, &nonBlocking)) {
            error = ::WSAGetLastError();
            continue;
        }
        if (!::connect(s.s, a->ai_addr, static_cast<int>(a->ai_addrlen))) return {true, {}};
        if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            error = ::WSAGetLastError();
            continue;
        }
        // Connected: writable. Refused: an exception, its reason in SO_ERROR.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s.s, &writable);
        FD_SET(s.s, &failed);
        timeval wait{static_cast<long>(left.count() / 1000000),
                     static_cast<long>(left.count() % 1000000)};
        const int ready = ::select(0, nullptr, &writable, &failed, &wait);
        if (ready > 0 && FD_ISSET(s.s, &writable)) return {true, {}};
        int reason = WSAETIMEDOUT, size = sizeof(reason);
        if (ready > 0)
            ::getsockopt(s.s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&reason), &size);
        else if (ready < 0)
            reason = ::WSAGetLastError();
        error = reason;
    }
    return {false, connectFailure(error, host, limit)};
}
}  // namespace

std::unique_ptr<Errand> startErrand(std::function<void()> work, std::chrono::milliseconds limit,
                                    std::function<void(bool)> finished) {
    return std::make_unique<ThreadErrand>(std::move(work), limit, std::move(finished));
}

std::wstring limitText(std::chrono::milliseconds limit) {
    return limit.count() % 1000 ? std::to_wstring(limit.count()) + L" ms"
                                : std::to_wstring(limit.count() / 1000) + L" s";
}

FileSeen lookAtFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return {FileState::Unreadable, 0, 0, errorText(error)};
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {FileState::Unreadable, 0, 0, L"it is a folder"};
    return {FileState::Present, joined(data.ftLastWriteTime),
            joined(data.nFileSizeHigh, data.nFileSizeLow)};
}

namespace {
// Whether the path lies on a local fixed disk. Asking is dearer than the look itself, so the
// answer for a drive is kept for a minute (a letter may be mapped to a share meanwhile).
bool onFixedDisk(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
    static std::wstring root;
    static bool fixed = false;
    static ULONGLONG askedAt = 0;
    const ULONGLONG now = ::GetTickCount64();
    if (path.compare(0, 3, root) != 0 || now - askedAt >= 60000) {
        root = path.substr(0, 3);
        fixed = ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED;
        askedAt = now;
    }
    return fixed;
}
}  // namespace

std::unique_ptr<Errand> startFileLook(const std::wstring& path,
                                      std::function<void(const FileSeen&)> done,
                                      std::chrono::milliseconds limit) {
    if (onFixedDisk(path)) {
        done(lookAtFile(path));
        return nullptr;
    }
    return runErrand<FileSeen>(
        [path] { return lookAtFile(path); }, limit,
        {FileState::Unreadable, 0, 0, L"no answer within " + limitText(limit)}, std::move(done));
}

std::unique_ptr<Errand> startConnect(const std::wstring& host, unsigned short port,
                                     std::function<void(const AddressAnswer&)> done,
                                     std::chrono::milliseconds limit) {
    return runErrand<AddressAnswer>([=] { return connectTo(host, port, limit); }, limit,
                                    {false, L"no answer within " + limitText(limit)},
                                    std::move(done));
}

std::unique_ptr<Errand> startAddressProbe(const Address& address,
                                          std::function<void(const AddressAnswer&)> done,
                                          const HttpAsk& http, std::chrono::milliseconds limit) {
    if (!address.web) return startConnect(address.host, address.port, std::move(done), limit);
    if (http) return http(address.text, limit, std::move(done));
    return runErrand<AddressAnswer>(
        [] {
            return AddressAnswer{false, L"not asked: no HTTP client"};
        },
        limit, {}, std::move(done));
}

CpuSeen cpuTimesOf(const std::vector<unsigned long>& ids) {
    CpuSeen seen;
    for (unsigned long id : ids) {
        // Limited rights are given for an elevated process too; another user's may refuse.
        UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        FILETIME created, ended, kernel, user;
        if (process && ::GetProcessTimes(process.get(), &created, &ended, &kernel, &user)) {
            seen.times[id] = joined(kernel) + joined(user);
            continue;
        }
        if (seen.unread.empty()) seen.why = errorText(::GetLastError());
        seen.unread.push_back(id);
    }
    return seen;
}

WindowsSeen windowsOf(const std::vector<unsigned long>& ids) {
    // Going through every top-level window of the desktop costs more than the rest of the
    // checks together; the windows found are kept and asked again. The search is made afresh
    // when the processes differ, a kept window is gone or hidden, and every tenth look (a window
    // opened since, or the first one of a program that had none).
    static std::vector<unsigned long> lastIds;
    static std::vector<HWND> found;
    static int looks = 0;
    const bool kept = ids == lastIds && ++looks < 10 && std::ranges::all_of(found, [&](HWND w) {
                          DWORD id = 0;
                          ::GetWindowThreadProcessId(w, &id);
                          return ::IsWindowVisible(w) && std::ranges::find(ids, id) != ids.end();
                      });
    if (!kept) {
        struct Search {
            const std::vector<unsigned long>& ids;
            std::vector<HWND> windows;
        } search{ids, {}};
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                Search& s = *reinterpret_cast<Search*>(param);
                DWORD id = 0;
                ::GetWindowThreadProcessId(window, &id);
                if (::IsWindowVisible(window) && std::ranges::find(s.ids, id) != s.ids.end())
                    s.windows.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        lastIds = ids;
        found = std::move(search.windows);
        looks = 0;
    }
    WindowsSeen seen;
    seen.visible = static_cast<unsigned>(found.size());
    // Asks what Windows knows already; unlike a message, it cannot wait on the window.
    for (HWND window : found)
        if (::IsHungAppWindow(window)) ++seen.hung;
    return seen;
}

}  // namespace kovalt::platform
