// The push road's words: the text of an alert, the request each service takes it in, and what
// the service's answer means for the try. Portable; platform/http_client.h sends it.
#pragma once

#include <string>
#include <string_view>

#include "monitor/alert_road.h"
#include "platform/http_client.h"

namespace kovalt::monitor {

enum class PushService { None, Ntfy, Discord, Slack, Telegram, Webhook };

// The stored word of the service box: "none", "ntfy", "Discord", "Slack", "Telegram",
// "Webhook"; any other text is none.
const wchar_t* serviceWord(PushService service);
PushService serviceOf(std::wstring_view word);

struct PushConfig {
    PushService service = PushService::None;
    std::wstring url, token, chat;
};

// What an alert tells, as the road finds it when the try starts.
struct PushFacts {
    AlertKind kind = AlertKind::None;
    int reminder = 0;
    std::wstring instance, displayName, process, computer;
    std::wstring localTime;  // "2026-12-08 14:03:22"
    std::wstring utcTime;    // "2026-12-08T13:03:22Z"
};

// Two lines: the e-mail's subject, then "Wallet node on RIG-07 at 2026-12-08 14:03:22".
std::wstring pushText(const PushFacts& facts);
platform::HttpRequest pushRequest(const PushConfig& config, const PushFacts& facts);

// How a try ended, by the answer: sent on 2xx; on 408, 429, 5xx or no answer at all it goes
// again on the normal schedule (after Retry-After's seconds, when given); any other status is
// a refusal in the service's own words, tried again on the slow schedule.
TryOutcome judgeAnswer(const platform::HttpAnswer& answer);

// UTF-8 both ways; what cannot be a character becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view bytes);
// A JSON string, quotes included, in UTF-8.
std::string jsonString(std::wstring_view text);
// A header value as it stands when it is ASCII, else as RFC 2047 words ("=?UTF-8?B?...?=").
std::wstring headerText(std::wstring_view text);

}  // namespace kovalt::monitor
