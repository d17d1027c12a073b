// The kinds of alert, and the one word each is told by in subjects, tooltips and records.
#pragma once

#include <optional>
#include <string_view>

namespace kovalt::monitor {

// Test: the test e-mail, sent on request and never by a change of state. Stuck: running, but a
// check that it works failed.
enum class AlertKind { None, Running, Stopped, Test, Stuck };

// "RUNNING", "STOPPED", "TEST", "STUCK"; "NONE" for none.
const wchar_t* kindWord(AlertKind kind);
std::optional<AlertKind> kindOf(std::wstring_view word);

}  // namespace kovalt::monitor
