#include "monitor/instance_watchdog.h"

#include "monitor/clock.h"
#include "platform/command_start.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "platform/protect.h"
#include "platform/process_query.h"
#include "platform/single_instance.h"
#include "platform/stuck_probes.h"

namespace kovalt::monitor {

namespace {
// An HTTP request as the stuck checks' errand: an address over HTTP answers when a status came.
struct HttpErrand final : platform::Errand {
    std::unique_ptr<platform::HttpCall> call;
};

std::unique_ptr<platform::Errand> askOverHttp(
    const std::wstring& url, std::chrono::milliseconds limit,
    std::function<void(const platform::AddressAnswer&)> done) {
    auto errand = std::make_unique<HttpErrand>();
    HttpErrand* asking = errand.get();
    const int seconds = static_cast<int>((limit.count() + 999) / 1000);
    asking->call = std::make_unique<platform::HttpCall>(
        platform::HttpRequest{L"GET", url, {}, {}}, seconds, [asking, done] {
            const platform::HttpAnswer answer = asking->call->answer();
            done(answer.status ? platform::httpAnswer(answer.status)
                               : platform::AddressAnswer{false, answer.error});
        });
    return errand;
}

WatchdogServices servicesOf(const platform::InstanceContext& context, HeldProcesses& held,
                            PushRoad& push) {
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
    s.lookAtFile = [](const std::wstring& path,
                      std::function<void(const platform::FileSeen&)> done) {
        return std::shared_ptr<void>(platform::startFileLook(path, std::move(done)));
    };
    s.askAddress = [](const platform::Address& address,
                      std::function<void(const platform::AddressAnswer&)> done) {
        return std::shared_ptr<void>(
            platform::startAddressProbe(address, std::move(done), askOverHttp));
    };
    s.cpuTimes = platform::cpuTimesOf;
    s.windows = platform::windowsOf;
    s.endProgram = [](const std::vector<unsigned long>& ids) {
        platform::endProcesses(ids, 10000);
    };
    s.ping = [](const std::wstring& url, std::function<void(bool, const std::wstring&)> done) {
        // Ten seconds for each ping; the heartbeat tries a failed one again itself.
        auto call = std::make_shared<std::unique_ptr<platform::HttpCall>>();
        *call = std::make_unique<platform::HttpCall>(
            platform::HttpRequest{L"GET", url, {}, {}}, 10, [asked = call.get(), done] {
                const platform::HttpAnswer answer = (*asked)->answer();
                const bool ok = answer.status >= 200 && answer.status < 300;
                done(ok, ok              ? L""
                         : answer.status ? L"the server answered " + std::to_wstring(answer.status)
                                         : answer.error);
            });
        return std::shared_ptr<void>(call);
    };
    s.unprotect = platform::unprotect;
    s.testPushWith = [&push](const PushConfig& config) { push.setTestConfig(config); };
    return s;
}
}  // namespace

InstanceWatchdog::InstanceWatchdog(const platform::InstanceContext& context, InstanceState& state)
    : email_(context), push_(context, state), watchdog_(servicesOf(context, held_, push_), state) {
    watchdog_.addRoad(email_, settings::keys::OWED_ALERT);
    watchdog_.addRoad(push_, settings::keys::OWED_PUSH);
}

}  // namespace kovalt::monitor
