#include "monitor/tooltip_text.h"

namespace kovalt::monitor {

namespace {
std::wstring span(Seconds s) {
    return s % 60 ? std::to_wstring(s) + L" s" : std::to_wstring(s / 60) + L" minutes";
}
}  // namespace

std::wstring alertsLine(const AlertsShown& shown, const ClockText& clock, const std::wstring& road,
                        const std::wstring& whereToLook) {
    std::wstring more;
    if (shown.held > 0)
        more = L"\r\n" + std::to_wstring(shown.held) + L" change(s) held after " +
               std::to_wstring(shown.capTries) + L" alerts in " + span(shown.capWindow) +
               L"; the state then is mailed " + clock(shown.heldUntil);
    for (const auto& [at, wait] : shown.stable)
        more += L"\r\n" + (road.empty() ? std::wstring() : road + L" ") + L"RUNNING alert " +
                clock(at) + L", once the restarted program has run " + std::to_wstring(wait) +
                L" s";
    if (!shown.dropNote.empty()) more += L"\r\n" + shown.dropNote;
    if (!shown.last) return more.empty() ? more : more.substr(2);
    const AlertsShown::Last& a = *shown.last;
    if (a.fromBefore) more = L"; owed from before the restart" + more;
    std::wstring kind = a.reminder ? L"reminder " + std::to_wstring(a.reminder) + L" "
                                   : std::wstring(kindWord(a.kind)) + L" ";
    kind = road.empty() ? (a.reminder ? kind : kind + L"alert ") : road + L" " + kind;
    using S = AlertsShown::State;
    if (a.state == S::Sent) {
        std::wstring line = kind + L"sent " + (a.reminder ? L"at " : L"") + clock(a.at);
        if (a.standsFor > 0)
            line += L"; " + std::to_wstring(a.standsFor) +
                    L" earlier change(s) not mailed: this alert tells of them";
        return line + more;
    }
    if (a.state == S::BeingSent) return kind + L"being sent since " + clock(a.at) + more;
    std::wstring line = kind + L"NOT SENT " + clock(a.at) + L": " + a.error + L"; ";
    if (a.state == S::GivenUp)
        line += L"given up after " + std::to_wstring(shown.giveUpAfter / 3600) + L" hours";
    else if (a.state == S::Waiting)
        line += L"next try " + clock(a.nextTry);
    else
        line += L"trying again now";
    if (!whereToLook.empty()) line += L" (log: " + whereToLook + L")";
    return line + more;
}

std::wstring testLine(const AlertQueue::TestOutcome& outcome, const ClockText& clock,
                      const std::wstring& road, const std::wstring& whereToLook) {
    const std::wstring test = L"Test " + (road.empty() ? std::wstring(L"e-mail") : road);
    if (outcome.sent) return test + L" sent at " + clock(outcome.at);
    return test + L" not sent: " + outcome.why +
           (whereToLook.empty() ? L"" : L" (log: " + whereToLook + L")");
}

std::wstring restartLine(const RestartPolicy::Shown& shown, const ClockText& clock) {
    if (shown.givenUp)
        return L"restart given up: " + std::to_wstring(shown.limit) +
               (shown.noneStarted ? L" restarts failed" : L" restarts in " + span(shown.window));
    if (!shown.last) return {};
    const std::wstring count =
        L" (" + std::to_wstring(shown.count) + L" of " + std::to_wstring(shown.limit) + L")";
    if (!shown.failure.empty())
        return L"restart at " + clock(*shown.last) + L" failed: " + shown.failure + count;
    return L"restarted at " + clock(*shown.last) + count;
}

}  // namespace kovalt::monitor
