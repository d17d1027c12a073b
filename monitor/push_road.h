// The push road: an alert as one HTTP(S) request to the service the user chose. A try ends
// with the service's answer, or after 30 s without one; it cannot outlive the program, so what
// was on its way when the watchdog closed stays owed and goes again at the next start.
#pragma once

#include <memory>

#include "monitor/alert_road.h"
#include "monitor/instance_state.h"
#include "monitor/push_message.h"
#include "platform/http_client.h"
#include "platform/instance_context.h"

namespace kovalt::monitor {

class PushRoad final : public AlertRoad {
public:
    static constexpr int kLimitSeconds = 30;

    PushRoad(const platform::InstanceContext& context, const InstanceState& state)
        : context_(context), state_(state) {}

    void setConfig(PushConfig config) { config_ = std::move(config); }
    // The test push goes with the fields as the window shows them, stored or not.
    void setTestConfig(PushConfig config) { testConfig_ = std::move(config); }
    bool active() const override { return config_.service != PushService::None; }
    // The service, the URL and the token from the store, unprotected.
    void reload() override;

    std::wstring name() const override { return L"push"; }
    std::optional<std::wstring> start(const AlertToSend& alert) override;
    std::optional<TryOutcome> outcome() override;
    TryOutcome end(Seconds limit) override;
    void letGo() override { call_.reset(); }

private:
    const platform::InstanceContext& context_;
    const InstanceState& state_;
    PushConfig config_, testConfig_;
    bool unreadable_ = false;  // a stored value protected for another user or PC
    std::unique_ptr<platform::HttpCall> call_;
};

}  // namespace kovalt::monitor
