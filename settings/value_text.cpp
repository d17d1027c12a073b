#include "settings/value_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kovalt::settings {

namespace {
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

std::optional<double> parseNumber(std::wstring_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == L'+') text.remove_prefix(1);
    // A number is short; anything longer (or non-ASCII) is not one. This also keeps a
    // megabyte of stored junk from being copied.
    if (text.empty() || text.size() > 64) return std::nullopt;
    char narrow[64];
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7f) return std::nullopt;
        narrow[i] = static_cast<char>(text[i]);
    }
    double value = 0;
    const char* end = narrow + text.size();
    auto [ptr, ec] = std::from_chars(narrow, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<float> parseTwips(std::wstring_view text) {
    auto value = parseNumber(text);
    if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<int> parseTickState(std::wstring_view text) {
    auto value = parseNumber(text);
    if (!value || (*value != 0.0 && *value != 1.0)) return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<int> parseWholeIn(std::wstring_view text, int low, int high) {
    auto value = parseNumber(text);
    if (!value || *value < low || *value > high || *value != std::floor(*value))
        return std::nullopt;
    return static_cast<int>(*value);
}

std::wstring formatTwips(float twips) {
    double whole = std::round(static_cast<double>(twips));
    // Out-of-range positions are never produced by a window; keep the text a plain integer.
    whole = std::fmax(std::fmin(whole, 1e15), -1e15);
    return std::to_wstring(static_cast<long long>(whole));
}

}  // namespace kovalt::settings
