#include "monitor/push_message.h"

#include <algorithm>

#include "email/command_line.h"
#include "settings/protected_text.h"

namespace kovalt::monitor {

namespace {
constexpr std::pair<PushService, const wchar_t*> kServices[] = {
    {PushService::None, L"none"},         {PushService::Ntfy, L"ntfy"},
    {PushService::Discord, L"Discord"},   {PushService::Slack, L"Slack"},
    {PushService::Telegram, L"Telegram"}, {PushService::Webhook, L"Webhook"}};
constexpr char32_t kReplacement = 0xFFFD;
constexpr size_t kWordsShown = 200;  // of the service's answer, in a refusal
constexpr Seconds kLongestWait = 24 * 60 * 60;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The character at `i` of wide text, which may be a surrogate pair (always so on Windows);
// `i` moves past it.
char32_t nextCharacter(std::wstring_view text, size_t& i) {
    char32_t c = static_cast<char32_t>(text[i++]);
    if (isHighSurrogate(c) && i < text.size() && isLowSurrogate(char32_t(text[i])))
        return 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i++]) - 0xDC00);
    return isHighSurrogate(c) || isLowSurrogate(c) || c > 0x10FFFF ? kReplacement : c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int more = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>(((0xFF00 >> (more + 1)) & 0xFF) | (c >> (6 * more)));
    for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

void appendWide(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

std::string jsonObject(std::initializer_list<std::pair<const char*, std::wstring>> fields) {
    std::string json = "{";
    for (const auto& [name, value] : fields)
        json += (json.size() > 1 ? ", \"" : "\"") + std::string(name) + "\": " + jsonString(value);
    return json + "}";
}

std::wstring withoutTrailingSlashes(std::wstring url) {
    while (url.ends_with(L'/')) url.pop_back();
    return url;
}

// The first line of the answer that says something, trimmed and short enough for a tooltip.
std::wstring firstWords(const std::string& body) {
    const std::wstring text = fromUtf8(body);
    std::wstring line;
    for (size_t start = 0; start < text.size() && line.empty();) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        line = text.substr(start, end - start);
        std::replace_if(
            line.begin(), line.end(), [](wchar_t c) { return c < 0x20; }, L' ');
        line.erase(0, line.find_first_not_of(L' '));
        line.erase(line.find_last_not_of(L' ') + 1);
        start = end + 1;
    }
    if (line.size() > kWordsShown) {
        line.resize(kWordsShown);
        if (isHighSurrogate(char32_t(line.back()))) line.pop_back();
    }
    return line;
}

// Retry-After in seconds; its other form, a date, is taken as absent.
Seconds retrySeconds(std::wstring_view header) {
    while (!header.empty() && header.front() == L' ') header.remove_prefix(1);
    while (!header.empty() && header.back() == L' ') header.remove_suffix(1);
    if (header.empty()) return 0;
    Seconds seconds = 0;
    for (wchar_t c : header) {
        if (c < L'0' || c > L'9') return 0;
        seconds = std::min(seconds * 10 + (c - L'0'), kLongestWait);
    }
    return seconds;
}
}  // namespace

const wchar_t* serviceWord(PushService service) {
    for (const auto& [s, word] : kServices)
        if (s == service) return word;
    return L"none";
}

PushService serviceOf(std::wstring_view word) {
    for (const auto& [service, w] : kServices)
        if (word == w) return service;
    return PushService::None;
}

std::string toUtf8(std::wstring_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) appendUtf8(out, nextCharacter(text, i));
    return out;
}

std::wstring fromUtf8(std::string_view bytes) {
    std::wstring out;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i++]);
        const int more = lead < 0x80   ? 0
                         : lead < 0xC2 ? -1
                         : lead < 0xE0 ? 1
                         : lead < 0xF0 ? 2
                         : lead < 0xF5 ? 3
                                       : -1;
        if (more < 0) {
            appendWide(out, kReplacement);
            continue;
        }
        char32_t c = more ? lead & (0x3F >> more) : lead;
        int taken = 0;
        for (; taken < more && i < bytes.size() && (bytes[i] & 0xC0) == 0x80; ++taken, ++i)
            c = c << 6 | (bytes[i] & 0x3F);
        // A sequence cut short, too long for its value, a surrogate or beyond Unicode.
        const char32_t least[] = {0, 0x80, 0x800, 0x10000};
        const bool bad = taken < more || c < least[more] || isHighSurrogate(c) ||
                         isLowSurrogate(c) || c > 0x10FFFF;
        appendWide(out, bad ? kReplacement : c);
    }
    return out;
}

std::string jsonString(std::wstring_view text) {
    std::wstring escaped = L"\"";
    for (wchar_t c : text) {
        static constexpr wchar_t kShort[] = L"btn fr";  // the short forms of 8 to 13
        if (c == L'"' || c == L'\\') {
            escaped += {L'\\', c};
        } else if (c >= 8 && c <= 13 && c != 11) {
            escaped += {L'\\', kShort[c - 8]};
        } else if (c < 0x20) {
            static constexpr wchar_t kHex[] = L"0123456789abcdef";
            escaped += {L'\\', L'u', L'0', L'0', kHex[c >> 4], kHex[c & 15]};
        } else {
            escaped += c;
        }
    }
    return toUtf8(escaped + L"\"");
}

std::wstring headerText(std::wstring_view text) {
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x20 && c < 0x7F; }))
        return std::wstring(text);
    // Encoded words are at most 75 characters: each carries up to 45 bytes of whole characters.
    std::wstring header;
    std::string piece;
    for (size_t i = 0; i <= text.size();) {
        std::string next;
        if (i < text.size()) appendUtf8(next, nextCharacter(text, i));
        if (!piece.empty() && (next.empty() || piece.size() + next.size() > 45)) {
            header += (header.empty() ? L"=?UTF-8?B?" : L" =?UTF-8?B?") +
                      settings::base64Encode(piece) + L"?=";
            piece.clear();
        }
        if (next.empty()) break;
        piece += next;
    }
    return header;
}

std::wstring pushText(const PushFacts& f) {
    return email::subjectFor(f.process, f.reminder ? AlertKind::Stopped : f.kind) + L"\n" +
           (f.displayName.empty() ? L"On " : f.displayName + L" on ") + f.computer + L" at " +
           f.localTime;
}

platform::HttpRequest pushRequest(const PushConfig& config, const PushFacts& facts) {
    const std::wstring text = pushText(facts);
    const AlertKind kind = facts.reminder ? AlertKind::Stopped : facts.kind;
    platform::HttpRequest request{L"POST", config.url, {{L"Content-Type", L"application/json"}}};
    switch (config.service) {
        case PushService::Ntfy: {
            const bool urgent = kind == AlertKind::Stopped || kind == AlertKind::Stuck;
            request.headers = {{L"Content-Type", L"text/plain; charset=utf-8"},
                               {L"Title", headerText(email::subjectFor(facts.process, kind))},
                               {L"Priority", urgent ? L"high" : L"default"}};
            if (!config.token.empty())
                request.headers.emplace_back(L"Authorization", L"Bearer " + config.token);
            request.body = toUtf8(text);
            break;
        }
        case PushService::Discord: request.body = jsonObject({{"content", text}}); break;
        case PushService::Slack: request.body = jsonObject({{"text", text}}); break;
        case PushService::Telegram:
            request.url = withoutTrailingSlashes(config.url.empty() ? L"https://api.telegram.org"
                                                                    : config.url) +
                          L"/bot" + config.token + L"/sendMessage";
            request.body = jsonObject({{"chat_id", config.chat}, {"text", text}});
            break;
        case PushService::Webhook:
            request.body = jsonObject({{"instance", facts.instance},
                                       {"name", facts.displayName},
                                       {"process", facts.process},
                                       {"state", kindWord(kind)},
                                       {"computer", facts.computer},
                                       {"time", facts.utcTime},
                                       {"text", text}});
            break;
        case PushService::None: break;
    }
    return request;
}

TryOutcome judgeAnswer(const platform::HttpAnswer& answer) {
    const int status = answer.status;
    if (status == 0) return {false, answer.error.empty() ? L"no answer" : answer.error};
    if (status >= 200 && status <= 299) return {true};
    const std::wstring words = firstWords(answer.body);
    TryOutcome outcome{false,
                       L"HTTP " + std::to_wstring(status) + (words.empty() ? L"" : L": ") + words};
    // The server is busy or down for now, or asked to be left alone for a while.
    if (status == 408 || status == 429 || (status >= 500 && status <= 599))
        outcome.retryAfter = retrySeconds(answer.retryAfter);
    else
        outcome.slow = true;
    return outcome;
}

}  // namespace kovalt::monitor
