// One HTTP(S) request, sent with WinHTTP on a thread of its own so that the window thread never
// waits for a server. The request and its answer are plain data, built and judged by portable
// code (monitor/push_message.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kovalt::ui {
class HandleWait;
}

namespace kovalt::platform {

struct HttpRequest {
    std::wstring method = L"POST";
    std::wstring url;
    std::vector<std::pair<std::wstring, std::wstring>> headers;
    std::string body;  // sent as it stands (UTF-8 text)
};

// The most of an answer's body that is kept: enough for the server's words on a refusal.
inline constexpr size_t kHttpBodyKept = 4096;

struct HttpAnswer {
    int status = 0;  // 0: no answer came, and `error` says why
    std::string body;
    std::wstring retryAfter;  // the header as sent, when it was
    std::wstring error;
};

#ifdef _WIN32
// The request runs on a detached worker thread; `done` runs on the thread that made the call,
// from the program's message loops (ui::HandleWait), once it has ended. Destroying the call or
// cancel() ends it at once: the worker's blocking WinHTTP call fails and it finishes on its own,
// and `done` never runs after that.
class HttpCall {
public:
    HttpCall(HttpRequest request, int limitSeconds, std::function<void()> done);
    HttpCall(const HttpCall&) = delete;
    HttpCall& operator=(const HttpCall&) = delete;
    ~HttpCall();

    void cancel();
    bool ended() const;
    // Once ended: the answer, or why there was none.
    HttpAnswer answer() const;

    struct Shared;  // with the worker, which may outlive the call

private:
    std::shared_ptr<Shared> shared_;
    std::function<void()> done_;
    std::unique_ptr<ui::HandleWait> wait_;
};
#endif

}  // namespace kovalt::platform
