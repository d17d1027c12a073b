#include "monitor/owed_record.h"

#include <vector>

namespace kovalt::monitor {

namespace {
constexpr std::wstring_view kTry = L"TRY", kAbout = L"ABOUT";

// The next word of `text`, taken off it.
std::wstring_view nextWord(std::wstring_view& text) {
    const size_t end = text.find(L' ');
    const std::wstring_view word = text.substr(0, end);
    text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    return word;
}

// A whole number of at most `digits` digits.
std::optional<unsigned long long> numberIn(std::wstring_view word, size_t digits) {
    if (word.empty() || word.size() > digits ||
        word.find_first_not_of(L"0123456789") != std::wstring_view::npos)
        return std::nullopt;
    unsigned long long n = 0;
    for (wchar_t digit : word) n = n * 10 + static_cast<unsigned>(digit - L'0');
    return n;
}
}  // namespace

std::wstring keptText(const Owed& owed) {
    if (owed == Owed{} || (owed.kind == AlertKind::None && owed.lastSent == AlertKind::None))
        return {};  // nothing to keep
    std::wstring text = std::wstring(kindWord(owed.kind)) + L" " + std::to_wstring(owed.reminder) +
                        L" " + kindWord(owed.lastSent);
    if (const auto& t = owed.onItsWay)
        text += L" TRY " + std::to_wstring(t->processId) + L" " + std::to_wstring(t->created) +
                L" " + std::to_wstring(t->logStart);
    if (!owed.process.empty()) text += L" ABOUT " + owed.process;
    return text;
}

std::optional<Owed> readKept(std::wstring_view text) {
    if (text.empty()) return Owed{};
    // The owed kind, which reminder it is (0 to 9999), the last sent kind; then what is known.
    const std::optional<AlertKind> kind = kindOf(nextWord(text));
    const std::optional<unsigned long long> reminder = numberIn(nextWord(text), 4);
    const std::optional<AlertKind> lastSent = kindOf(nextWord(text));
    if (!kind || !reminder || !lastSent || *kind == AlertKind::Test || *lastSent == AlertKind::Test)
        return std::nullopt;
    // Only a stop is reminded of.
    if (*reminder != 0 && *kind != AlertKind::Stopped) return std::nullopt;
    Owed owed{*kind, static_cast<int>(*reminder), *lastSent, std::nullopt, {}};
    if (!text.empty() && text.starts_with(kTry)) {
        nextWord(text);
        const auto id = numberIn(nextWord(text), 10), created = numberIn(nextWord(text), 19),
                   at = numberIn(nextWord(text), 18);
        if (!id || !created || !at || *kind == AlertKind::None) return std::nullopt;
        owed.onItsWay =
            TryOnItsWay{static_cast<unsigned long>(*id), *created, static_cast<long long>(*at)};
    }
    if (!text.empty()) {
        if (nextWord(text) != kAbout || text.empty()) return std::nullopt;
        owed.process = std::wstring(text);
    }
    return owed;
}

}  // namespace kovalt::monitor
