#include "monitor/push_settings.h"

#include <algorithm>
#include <cwctype>

#include "settings/value_text.h"

namespace kovalt::monitor {

namespace {
constexpr int kDefaultMinutes = 5, kMostMinutes = 1440;

bool startsWithIgnoringCase(const std::wstring& text, std::wstring_view start) {
    return text.size() >= start.size() &&
           std::equal(start.begin(), start.end(), text.begin(), [](wchar_t a, wchar_t b) {
               return a == static_cast<wchar_t>(std::towlower(b));
           });
}

bool holdsBlank(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(),
                       [](wchar_t c) { return c <= L' ' || c == 0x7F || c == 0xA0; });
}

std::optional<std::wstring> urlProblem(const std::wstring& url, const std::wstring& what) {
    const size_t scheme = startsWithIgnoringCase(url, L"https://")  ? 8
                          : startsWithIgnoringCase(url, L"http://") ? 7
                                                                    : 0;
    if (!scheme || url.size() == scheme || url[scheme] == L'/')
        return what + L" must start with http:// or https:// and a server name";
    if (holdsBlank(url)) return what + L" holds a blank or a control character";
    if (url.size() > kLongestUrl) return what + L" is longer than 2,000 characters";
    return std::nullopt;
}
}  // namespace

std::optional<std::wstring> pushSettingsProblem(const PushConfig& push,
                                                const std::wstring& heartbeatUrl,
                                                const std::wstring& heartbeatMinutes) {
    const std::wstring service = serviceWord(push.service);
    if (push.service == PushService::Telegram) {
        if (push.token.empty()) return L"Telegram needs the bot's token";
        if (push.chat.empty()) return L"Telegram needs the chat it sends to";
    } else if (push.service != PushService::None && push.url.empty()) {
        return service + L" needs the URL it is sent to";
    }
    if (push.service != PushService::None) {
        if (!push.url.empty())
            if (auto problem = urlProblem(push.url, L"The push URL")) return problem;
        // The token goes into a header or the URL, where a blank or a line break ends it.
        if (holdsBlank(push.token)) return L"The token holds a blank or a control character";
    }
    if (!heartbeatUrl.empty())
        if (auto problem = urlProblem(heartbeatUrl, L"The heartbeat URL")) return problem;
    if (!heartbeatMinutes.empty() && !settings::parseWholeIn(heartbeatMinutes, 1, kMostMinutes))
        return L"The heartbeat minutes must be a whole number from 1 to 1440";
    return std::nullopt;
}

Seconds heartbeatPeriod(const settings::InstanceSettings& settings) {
    using settings::keys::HEARTBEAT_SECONDS;
    if (settings.holds(HEARTBEAT_SECONDS)) return settings.seconds(HEARTBEAT_SECONDS);
    const std::wstring minutes = settings.text(settings::keys::HEARTBEAT_MINUTES_TEXTBOX);
    return 60LL * settings::parseWholeIn(minutes, 1, kMostMinutes).value_or(kDefaultMinutes);
}

}  // namespace kovalt::monitor
