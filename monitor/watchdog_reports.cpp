// What others see of the watchdog: the heartbeat's pings to a service elsewhere, and the
// metrics file a collector reads.
#include "monitor/watchdog.h"

namespace kovalt::monitor {

void Watchdog::heartbeatTick() {
    if (!heartbeat_ || heartbeat_->pinging()) return;
    const bool monitoring = monitor_.runningTimerOn() || monitor_.stoppedTimerOn();
    Light light = Light::Off;
    if (monitoring) switch (monitor_.light().look) {
            case RunLook::Running: light = Light::Running; break;
            case RunLook::Stopped: light = Light::Stopped; break;
            case RunLook::Stuck: light = Light::Stuck; break;
            case RunLook::NoCheck: light = Light::NoCheck; break;
            default: break;  // not yet checked (at a logon, a first check may wait long)
        }
    const std::optional<std::wstring> url =
        heartbeat_->tick(services_.now(), light, restart_.on && restarts_.givenUp());
    if (!url) return;
    ping_ = services_.ping(*url, [this](bool ok, const std::wstring& why) {
        if (heartbeat_) heartbeat_->ended(services_.now(), ok, why);
        ping_.reset();
        heartbeatTick();  // a quick try again, or the next ping due
        if (changed) changed();
    });
}

MetricsState Watchdog::metricsState(bool closing) const {
    MetricsState m;
    m.watch = services_.settings().instanceName();
    m.process = state_.processName;
    m.displayName = state_.runnerName;
    m.version = services_.version;
    const bool monitoring = monitor_.runningTimerOn() || monitor_.stoppedTimerOn();
    switch (closing || !monitoring ? RunLook::NotMonitoring : monitor_.light().look) {
        case RunLook::Running: m.state = "running"; break;
        case RunLook::Stopped: m.state = "stopped"; break;
        case RunLook::Stuck: m.state = "stuck"; break;
        case RunLook::Initial:  // watching, not yet checked
        case RunLook::NoCheck: m.state = "no_check"; break;
        case RunLook::NotMonitoring: m.state = "off"; break;
    }
    m.lastChange = lastChange_;
    m.lastCheck = lastCheck_;
    m.restarts = restartsMade_;
    m.stuckChecks = stuck_.any();
    for (const Road& r : roads_) {
        if (!r.road->active()) continue;
        const Owed owed = r.queue.owed(services_.now());
        const std::wstring name = r.road->name();  // a plain ASCII word
        m.roads.push_back({name.empty() ? "email" : std::string(name.begin(), name.end()), r.sent,
                           r.failed, owed.kind != AlertKind::None});
    }
    return m;
}

void Watchdog::writeMetrics(bool closing) {
    if (metricsFolder_.empty()) return;
    MetricsState state = metricsState(closing);
    const double checked = std::exchange(state.lastCheck, 0);
    const std::string compared = metricsText(state);
    const Seconds now = services_.now();
    if (compared == metricsWritten_ && now - metricsAt_ < metricsEvery_ && !closing) return;
    state.lastCheck = checked;
    const std::wstring path =
        metricsFolder_ + L"\\" + metricsFileName(services_.settings().instanceName());
    const platform::Result written = services_.writeFile(path, metricsText(state));
    metricsAt_ = now;  // a failed write too: tried again at the next change or in a while
    if (written.ok()) {
        metricsWritten_ = compared;
        metricsNote_.clear();
    } else {
        metricsWritten_.clear();
        metricsNote_ =
            L"the metrics file " + path + L" could not be written: " + services_.describe(written);
    }
}

std::optional<std::wstring> Watchdog::setMetricsFolder(const std::wstring& folder) {
    if (folder == metricsFolder_) return std::nullopt;
    if (!metricsFolder_.empty())
        services_.removeFile(metricsFolder_ + L"\\" +
                             metricsFileName(services_.settings().instanceName()));
    metricsFolder_ = folder;
    metricsWritten_.clear();
    metricsNote_.clear();
    writeMetrics();
    notify();
    if (metricsNote_.empty()) return std::nullopt;
    return metricsNote_;
}

}  // namespace kovalt::monitor
