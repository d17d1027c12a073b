#include "platform/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/ui/message_loop.h"
#include "platform/win_handles.h"

namespace kovalt::platform {

namespace {
// Words for the errors a push meets most, where the system has none for them (Wine's WinHTTP).
const wchar_t* ownWords(DWORD code) {
    switch (code) {
        case ERROR_WINHTTP_INVALID_URL: return L"the URL is not valid";
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: return L"the URL is neither http:// nor https://";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return L"the server name was not found";
        case ERROR_WINHTTP_CANNOT_CONNECT: return L"the server could not be reached";
        case ERROR_WINHTTP_CONNECTION_ERROR: return L"the connection to the server was broken";
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return L"the server's answer was not HTTP";
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
            return L"no secure connection: the server's certificate or TLS was refused";
    }
    return nullptr;
}

}  // namespace

// What the call and its worker share. Whoever ends the call first (the worker with the answer,
// the time limit, a cancel) sets the answer, closes the WinHTTP handles so that a call still
// blocked in them fails (on Windows at once; Wine waits for WinHTTP's own limits), and signals
// `done`; what comes later is dropped.
struct HttpCall::Shared {
    std::mutex lock;
    bool finished = false;
    HttpAnswer answer;
    HINTERNET handles[3] = {};  // session, connection, request: open while the worker needs them
    UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    int limitSeconds = 0;

    void finish(HttpAnswer result) {
        std::lock_guard hold(lock);
        if (finished) return;
        finished = true;
        answer = std::move(result);
        for (int i = 2; i >= 0; --i)
            if (HINTERNET h = std::exchange(handles[i], nullptr)) ::WinHttpCloseHandle(h);
        ::SetEvent(done.get());
    }
    // Keeps a handle the worker opened where finish() closes it; false when the call has ended
    // already (the handle is closed then).
    bool keep(int slot, HINTERNET h) {
        std::lock_guard hold(lock);
        if (finished) {
            ::WinHttpCloseHandle(h);
            return false;
        }
        handles[slot] = h;
        return true;
    }
    HttpAnswer noAnswer(DWORD code) const {
        if (code == ERROR_WINHTTP_TIMEOUT) return timedOut();
        std::wstring why = errorText(code, ::GetModuleHandleW(L"winhttp.dll"));
        if (const wchar_t* own = ownWords(code); own && why.starts_with(L"error 0x"))
            why = own + (L" (" + why + L")");
        return {0, {}, {}, why};
    }
    HttpAnswer timedOut() const {
        return {0, {}, {}, L"no answer within " + std::to_wstring(limitSeconds) + L" s"};
    }
};

namespace {
enum Slot { kSession, kConnection, kRequest };

// TLS 1.2, and 1.3 where the system has it: Windows 7 takes 1.2 once its update is installed,
// and refuses a flag it does not know.
void allowCurrentTls(HINTERNET session) {
    for (DWORD protocols :
         {DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
          DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2}})
        if (::WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                               sizeof(protocols)))
            return;
}

std::wstring headerLines(const HttpRequest& request) {
    std::wstring lines;
    for (const auto& [name, value] : request.headers) lines += name + L": " + value + L"\r\n";
    return lines;
}

// The request from its start to the first bytes of the answer, on the worker thread.
HttpAnswer exchange(HttpCall::Shared& s, const HttpRequest& request) {
    URL_COMPONENTS url = {sizeof(url)};
    url.dwHostNameLength = url.dwUrlPathLength = url.dwExtraInfoLength = DWORD(-1);
    if (!::WinHttpCrackUrl(request.url.c_str(), 0, 0, &url)) return s.noAnswer(::GetLastError());
    const std::wstring host(url.lpszHostName, url.dwHostNameLength);
    const std::wstring path = std::wstring(url.lpszUrlPath, url.dwUrlPathLength) +
                              std::wstring(url.lpszExtraInfo, url.dwExtraInfoLength);

    const HINTERNET session = ::WinHttpOpen(L"kovalt", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) return s.noAnswer(::GetLastError());
    if (!s.keep(kSession, session)) return {};
    // WinHTTP's own limits end the worker where closing its handles does not wake it (Wine).
    const int ms = s.limitSeconds * 1000;
    ::WinHttpSetTimeouts(session, ms, ms, ms, ms);
    allowCurrentTls(session);
    const HINTERNET connection = ::WinHttpConnect(session, host.c_str(), url.nPort, 0);
    if (!connection) return s.noAnswer(::GetLastError());
    if (!s.keep(kConnection, connection)) return {};
    const HINTERNET r =
        ::WinHttpOpenRequest(connection, request.method.c_str(), path.c_str(), nullptr,
                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                             url.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    if (!r) return s.noAnswer(::GetLastError());
    if (!s.keep(kRequest, r)) return {};

    const std::wstring headers = headerLines(request);
    const DWORD size = static_cast<DWORD>(request.body.size());
    if (!::WinHttpSendRequest(r, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                              static_cast<DWORD>(-1L), const_cast<char*>(request.body.data()), size,
                              size, 0) ||
        !::WinHttpReceiveResponse(r, nullptr))
        return s.noAnswer(::GetLastError());

    HttpAnswer answer;
    DWORD status = 0, length = sizeof(status);
    if (!::WinHttpQueryHeaders(r, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &length,
                               WINHTTP_NO_HEADER_INDEX))
        return s.noAnswer(::GetLastError());
    answer.status = static_cast<int>(status);
    wchar_t retry[64];
    length = sizeof(retry);
    if (::WinHttpQueryHeaders(r, WINHTTP_QUERY_RETRY_AFTER, WINHTTP_HEADER_NAME_BY_INDEX, retry,
                              &length, WINHTTP_NO_HEADER_INDEX))
        answer.retryAfter.assign(retry, length / sizeof(wchar_t));
    // The body only for the server's words; what does not come is no failure.
    char piece[1024];
    for (DWORD read = 1; read && answer.body.size() < kHttpBodyKept;) {
        const DWORD want =
            static_cast<DWORD>(std::min(sizeof(piece), kHttpBodyKept - answer.body.size()));
        if (!::WinHttpReadData(r, piece, want, &read)) break;
        answer.body.append(piece, read);
    }
    return answer;
}

VOID CALLBACK timeUp(PVOID shared, BOOLEAN) {
    auto& s = *static_cast<HttpCall::Shared*>(shared);
    s.finish(s.timedOut());
}

void work(std::shared_ptr<HttpCall::Shared> s, HttpRequest request) {
    // The limit counts from here; the timer is deleted (waiting for its callback) before the
    // worker lets go of what the callback uses.
    HANDLE timer = nullptr;
    if (!::CreateTimerQueueTimer(&timer, nullptr, timeUp, s.get(),
                                 static_cast<DWORD>(s->limitSeconds) * 1000, 0, WT_EXECUTEONLYONCE))
        timer = nullptr;
    s->finish(exchange(*s, request));
    if (timer) ::DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
}
}  // namespace

HttpCall::HttpCall(HttpRequest request, int limitSeconds, std::function<void()> done)
    : shared_(std::make_shared<Shared>()), done_(std::move(done)) {
    shared_->limitSeconds = limitSeconds;
    wait_ = std::make_unique<ui::HandleWait>(shared_->done.get(), [this] {
        // The callback may end this call: it runs from a copy.
        const std::function<void()> done = done_;
        if (done) done();
    });
    try {
        std::thread(work, shared_, std::move(request)).detach();
    } catch (const std::system_error&) {
        shared_->finish({0, {}, {}, L"could not start a thread for the request"});
    }
}

HttpCall::~HttpCall() { cancel(); }

void HttpCall::cancel() {
    wait_.reset();
    shared_->finish({0, {}, {}, L"cancelled"});
}

bool HttpCall::ended() const {
    std::lock_guard hold(shared_->lock);
    return shared_->finished;
}

HttpAnswer HttpCall::answer() const {
    std::lock_guard hold(shared_->lock);
    return shared_->answer;
}

}  // namespace kovalt::platform
