#include "monitor/push_road.h"

#include <cstdio>

#include "platform/protect.h"

namespace kovalt::monitor {

namespace {
std::wstring timeText(const SYSTEMTIME& t, const wchar_t* format) {
    wchar_t text[32];
    std::swprintf(text, 32, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::wstring computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : L"this computer";
}
}  // namespace

void PushRoad::reload() {
    const settings::InstanceSettings stored = context_.settings();
    namespace keys = settings::keys;
    const auto url = platform::unprotect(stored.text(keys::PUSH_URL_TEXTBOX)),
               token = platform::unprotect(stored.text(keys::PUSH_TOKEN_TEXTBOX));
    config_ = {serviceOf(stored.text(keys::PUSH_SERVICE_COMBOBOX)), url.value_or(L""),
               token.value_or(L""), stored.text(keys::PUSH_CHAT_TEXTBOX)};
    unreadable_ = !url || !token;
}

std::optional<std::wstring> PushRoad::start(const AlertToSend& alert) {
    const PushConfig& config = alert.kind == AlertKind::Test ? testConfig_ : config_;
    if (config.service == PushService::None) return L"no push service is chosen";
    if (unreadable_ && alert.kind != AlertKind::Test)
        return L"the stored push URL or token could not be read (kept for another Windows user "
               L"or PC): enter it again in Push and heartbeat";
    SYSTEMTIME local, utc;
    ::GetLocalTime(&local);
    ::GetSystemTime(&utc);
    const PushFacts facts{alert.kind,
                          alert.reminder,
                          context_.identity().instanceName,
                          state_.runnerName,
                          alert.process,
                          computerName(),
                          timeText(local, L"%04u-%02u-%02u %02u:%02u:%02u"),
                          timeText(utc, L"%04u-%02u-%02uT%02u:%02u:%02uZ")};
    call_ = std::make_unique<platform::HttpCall>(pushRequest(config, facts), kLimitSeconds, [this] {
        if (ended) ended();
    });
    return std::nullopt;
}

std::optional<TryOutcome> PushRoad::outcome() {
    if (!call_ || !call_->ended()) return std::nullopt;
    const TryOutcome judged = judgeAnswer(call_->answer());
    call_.reset();
    return judged;
}

TryOutcome PushRoad::end(Seconds limit) {
    call_.reset();
    return {false, L"the service did not answer within " + std::to_wstring(limit) + L" s"};
}

}  // namespace kovalt::monitor
