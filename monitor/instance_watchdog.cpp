#include "monitor/instance_watchdog.h"

#include "monitor/clock.h"
#include "platform/files.h"
#include "platform/process_query.h"
#include "platform/single_instance.h"

namespace kovalt::monitor {

namespace {
WatchdogServices servicesOf(const platform::InstanceContext& context, HeldProcesses& held) {
    WatchdogServices s;
    s.now = now;
    s.clock = clockText;
    s.describe = platform::describe;
    s.settings = [&context] { return context.settings(); };
    s.check = [&context](const std::wstring& name, bool withIds) {
        const platform::ProbeResult probe = context.probe(name, withIds);
        CheckAnswer answer{probe.outcome, std::nullopt, {}};
        if (!probe.error.ok()) answer.why = platform::failureText(probe);
        // Only a full list of ids lets the strip hold every copy.
        else if (withIds && probe.ids.size() == probe.count)
            answer.ids = probe.ids;
        return answer;
    };
    s.hold = &held;
    s.startProgram = [&context, &held](const std::wstring& command,
                                       const std::wstring& folder) -> std::optional<std::wstring> {
        platform::StartedProgram program;
        const platform::Result started = context.startProgram(command, folder, program);
        if (!started.ok()) return platform::describe(started);
        if (program.process) held.holdStarted(program.id, std::move(program.process));
        return std::nullopt;
    };
    s.restartLock = [](const std::wstring& name) -> std::shared_ptr<void> {
        auto lock = std::make_shared<platform::RestartLock>(name);
        return lock->held() ? lock : nullptr;
    };
    s.wallClock = [] {
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        const ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
        return static_cast<double>(t.QuadPart - 116444736000000000ULL) / 1e7;  // from 1601
    };
    s.version = KOVALT_VERSION;
    s.writeFile = platform::replaceFile;
    s.removeFile = [](const std::wstring& path) { ::DeleteFileW(path.c_str()); };
    return s;
}
}  // namespace

InstanceWatchdog::InstanceWatchdog(const platform::InstanceContext& context, InstanceState& state)
    : email_(context), watchdog_(servicesOf(context, held_), state) {
    watchdog_.addRoad(email_, settings::keys::OWED_ALERT);
}

}  // namespace kovalt::monitor
