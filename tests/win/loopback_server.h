// An HTTP server on 127.0.0.1 inside the test, on a port of its own: it keeps each request as
// it came and answers as the test says, or holds the connection without a word (an empty
// answer) until the client lets go. It stops with the object.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kovalt::test {

class LoopbackServer {
public:
    using Answer = std::function<std::string(const std::string& request)>;
    explicit LoopbackServer(Answer answer) : answer_(std::move(answer)) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at{AF_INET};
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(at);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&at), size);
        ::listen(listener_, 8);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &size);
        url_ = L"http://127.0.0.1:" + std::to_wstring(ntohs(at.sin_port));
        thread_ = std::thread([this] {
            std::vector<std::thread> open;  // one each: a silent connection holds no other
            while (!stop_)
                if (readable(listener_))
                    open.emplace_back(&LoopbackServer::converse, this, ::accept(listener_, 0, 0));
            for (std::thread& t : open) t.join();
        });
    }
    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        ::closesocket(listener_);
        ::WSACleanup();
    }
    std::wstring url(const std::wstring& path) const { return url_ + path; }
    std::vector<std::string> requests() const {
        std::lock_guard hold(lock_);
        return requests_;
    }
    static std::string reply(int status, const std::string& body, const std::string& headers = {}) {
        return "HTTP/1.1 " + std::to_string(status) + " X\r\nConnection: close\r\n" + headers +
               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }

private:
    bool readable(SOCKET s) const {  // within a tenth of a second
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval wait{0, 100000};
        return !stop_ && ::select(0, &set, nullptr, nullptr, &wait) == 1;
    }
    static bool complete(const std::string& r) {
        const size_t head = r.find("\r\n\r\n"), length = r.find("Content-Length: ");
        return head != std::string::npos &&
               r.size() >= head + 4 + (length < head ? std::stoul(r.substr(length + 16)) : 0);
    }
    void converse(SOCKET s) {
        std::string request;
        char piece[4096];
        for (int got = 1; got > 0 && !stop_ && !complete(request);)
            if (readable(s) && (got = ::recv(s, piece, sizeof(piece), 0)) > 0)
                request.append(piece, got);
        {
            std::lock_guard hold(lock_);
            requests_.push_back(request);
        }
        if (const std::string answer = answer_(request); !answer.empty())
            ::send(s, answer.data(), static_cast<int>(answer.size()), 0);
        while (!stop_)
            if (readable(s) && ::recv(s, piece, sizeof(piece), 0) <= 0) break;
        ::closesocket(s);
    }

    Answer answer_;
    SOCKET listener_;
    std::wstring url_;
    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace kovalt::test
