#include "monitor/alert_kind.h"

namespace kovalt::monitor {

namespace {
constexpr AlertKind kKinds[] = {AlertKind::None, AlertKind::Running, AlertKind::Stopped,
                                AlertKind::Test, AlertKind::Stuck};
}  // namespace

const wchar_t* kindWord(AlertKind kind) {
    switch (kind) {
        case AlertKind::Running: return L"RUNNING";
        case AlertKind::Stopped: return L"STOPPED";
        case AlertKind::Test: return L"TEST";
        case AlertKind::Stuck: return L"STUCK";
        case AlertKind::None: break;
    }
    return L"NONE";
}

std::optional<AlertKind> kindOf(std::wstring_view word) {
    for (AlertKind k : kKinds)
        if (word == kindWord(k)) return k;
    return std::nullopt;
}

}  // namespace kovalt::monitor
