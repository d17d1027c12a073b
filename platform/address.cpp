#include "platform/address.h"

#include <algorithm>
#include <cwctype>
#include <string_view>

namespace kovalt::platform {

namespace {
bool startsWithAnyCase(std::wstring_view text, std::wstring_view start) {
    if (text.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (static_cast<wchar_t>(std::towlower(text[i])) != start[i]) return false;
    return true;
}
}  // namespace

std::optional<Address> parseAddress(const std::wstring& given, std::wstring* problem) {
    const size_t first = given.find_first_not_of(L" \t");
    const std::wstring text = first == std::wstring::npos
                                  ? L""
                                  : given.substr(first, given.find_last_not_of(L" \t") + 1 - first);
    const auto fail = [&](std::wstring why) -> std::optional<Address> {
        if (problem) *problem = std::move(why);
        return std::nullopt;
    };
    const std::wstring neither = L"The address \"" + text +
                                 L"\" is neither host:port (as 127.0.0.1:8332) nor an http:// or "
                                 L"https:// address.";
    if (text.empty()) return fail(L"No address is given.");
    Address a{text};
    std::wstring_view rest = text;
    for (const auto& [scheme, port] : {std::pair(L"http://", 80), std::pair(L"https://", 443)})
        if (startsWithAnyCase(rest, scheme)) {
            a.web = true;
            a.port = static_cast<unsigned short>(port);
            rest.remove_prefix(std::wstring_view(scheme).size());
            // Only the part that names the server: no path, and no user before an '@'.
            rest = rest.substr(0, rest.find_first_of(L"/?#"));
            if (const size_t at = rest.rfind(L'@'); at != rest.npos) rest.remove_prefix(at + 1);
        }
    std::wstring_view host = rest, port;
    bool hasPort = false;
    if (rest.starts_with(L'[')) {  // [IPv6]:port
        const size_t close = rest.find(L']');
        if (close == rest.npos) return fail(neither);
        host = rest.substr(1, close - 1);
        const std::wstring_view after = rest.substr(close + 1);
        if (!after.empty() && after.front() != L':') return fail(neither);
        hasPort = !after.empty();
        if (hasPort) port = after.substr(1);
    } else if (const size_t colon = rest.rfind(L':'); colon != rest.npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        hasPort = true;
        if (host.find(L':') != host.npos) return fail(neither);
    }
    if (host.empty() || host.find_first_of(L" \t\\/@?#[]") != host.npos) return fail(neither);
    if (!hasPort && !a.web) return fail(neither);
    if (hasPort) {
        if (port.empty() || port.find_first_not_of(L"0123456789") != port.npos)
            return fail(neither);
        long value = 0;  // held below 100000, so any run of digits fits
        for (wchar_t c : port) value = std::min(value * 10 + (c - L'0'), 100000L);
        if (value < 1 || value > 65535)
            return fail(L"The port of the address \"" + text + L"\" must be from 1 to 65535.");
        a.port = static_cast<unsigned short>(value);
    }
    a.host = host;
    return a;
}

AddressAnswer httpAnswer(int status) {
    if (status < 500) return {true, {}};
    return {false, L"answered with HTTP status " + std::to_wstring(status)};
}

}  // namespace kovalt::platform
