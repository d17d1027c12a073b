// What is owed when the strip closes, kept in the store as text as it changes and read back at
// the next start: the alert not yet sent, what the last e-mail told, the try that was on its
// way (its mailer is let finish on its own, and judged at the next start by what it added to
// the log) and the watched name they are about.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "monitor/alert_kind.h"

namespace kovalt::monitor {

// The script of a try on its way: its process, known by its id and the moment it was created
// (an id alone may be another process's by the next start), and where the log stood.
struct TryOnItsWay {
    unsigned long processId = 0;
    unsigned long long created = 0;  // the process's creation time, as Windows gives it
    long long logStart = 0;
    bool operator==(const TryOnItsWay&) const = default;
};

struct Owed {
    AlertKind kind = AlertKind::None;  // None: nothing owed
    int reminder = 0;
    AlertKind lastSent = AlertKind::None;
    std::optional<TryOnItsWay> onItsWay;
    std::wstring process;  // empty in records kept before it was
    bool operator==(const Owed&) const = default;
};

// Nothing owed and nothing told is the empty text. Text that is no such record reads as nothing.
std::wstring keptText(const Owed& owed);
std::optional<Owed> readKept(std::wstring_view text);

}  // namespace kovalt::monitor
