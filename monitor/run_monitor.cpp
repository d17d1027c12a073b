#include "monitor/run_monitor.h"

#include <utility>

namespace kovalt::monitor {

namespace {
// The longest name a file can have; anything longer cannot be a running program.
constexpr size_t kMaxFileName = 255;

// The watched name as the tooltip shows it: whole, unless it is longer than any file name
// could be (pasted junk), when its start is enough to recognise it.
std::wstring shown(const std::wstring& name) {
    return name.size() <= kMaxFileName ? name : name.substr(0, kMaxFileName) + L"...";
}
}  // namespace

LookStyle styleOf(RunLook look) {
    using namespace ui::colours;
    switch (look) {
        case RunLook::Running: return {L"RUNNING", kGreen, kBlack};
        case RunLook::Stopped: return {L"STOPPED", kRed, kBlack};
        case RunLook::NoCheck: return {L"NO CHECK", kYellow, kBlack};
        case RunLook::Stuck: return {L"STUCK", kOrange, kBlack};
        case RunLook::Initial:
        case RunLook::NotMonitoring: break;
    }
    return {L"OFF", kWhite, kRed};
}

void RunMonitor::stop() {
    runningTimer_ = false;
    stoppedTimer_ = false;
    show(RunLook::NotMonitoring, L"NOT MONITORING");
}

AlertKind RunMonitor::tick(MonitorTimer timer, const std::wstring& watchedName,
                           ProbeOutcome outcome, const std::wstring& failure,
                           const std::wstring& stuck) {
    if (outcome == ProbeOutcome::Failed) {
        show(RunLook::NoCheck, L"PROCESS - " + shown(watchedName) + L" - CHECK FAILED: " + failure +
                                   L" (trying again every second)");
        return AlertKind::None;
    }
    const bool found = outcome == ProbeOutcome::Found, nowStuck = found && !stuck.empty();
    const std::wstring status = L"PROCESS - " + shown(watchedName);
    if (nowStuck)
        show(RunLook::Stuck, status + L" - STUCK\r\n" + stuck);
    else
        show(found ? RunLook::Running : RunLook::Stopped,
             status + (found ? L" - RUNNING" : L" - STOPPED"));
    const bool wasStuck = std::exchange(stuck_, nowStuck);
    if (timer == MonitorTimer::Running && !found) {
        stoppedTimer_ = true;
        runningTimer_ = false;
        return AlertKind::Stopped;
    }
    if (timer == MonitorTimer::Stopped && found) {
        runningTimer_ = true;
        stoppedTimer_ = false;
        return nowStuck ? AlertKind::Stuck : AlertKind::Running;
    }
    if (found && nowStuck != wasStuck) return nowStuck ? AlertKind::Stuck : AlertKind::Running;
    return AlertKind::None;
}

void RunMonitor::show(RunLook look, std::wstring status) {
    light_.look = look;
    light_.tooltip = std::move(status);
}

}  // namespace kovalt::monitor
