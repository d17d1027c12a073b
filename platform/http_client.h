// One HTTP(S) request, sent with WinHTTP on a thread of its own so that the window thread never
// waits for a server. The request and its answer are plain data, built and judged by portable
// code (monitor/push_message.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

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

}  // namespace kovalt::platform
