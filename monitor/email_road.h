// The e-mail road: the alert script of the alert's kind in BATS, which calls the mailer. A try
// is judged by the script's exit status and the lines the mailer adds to its log, read a piece
// at a time; the script and its mailer may outlive the watchdog, and are taken up again at its
// next start.
#pragma once

#include <optional>

#include "monitor/alert_road.h"
#include "monitor/mailer_log.h"
#include "platform/command_start.h"
#include "platform/instance_context.h"

namespace kovalt::monitor {

class EmailRoad final : public AlertRoad {
public:
    explicit EmailRoad(const platform::InstanceContext& context) : context_(context) {}

    std::wstring name() const override { return {}; }
    std::optional<std::wstring> start(const AlertToSend& alert) override;
    std::optional<TryOutcome> outcome() override;
    TryOutcome end(Seconds limit) override;
    void letGo() override { try_.reset(); }
    std::optional<TryOnItsWay> onItsWay() const override;
    std::optional<Seconds> takeUp(const TryOnItsWay& was,
                                  std::optional<TryOutcome>& judged) override;
    std::wstring whereToLook() const override;

private:
    // Reads the next piece of what the log gained; whether everything was read.
    bool readLog();

    struct Try {
        platform::StartedScript script;
        long long logStart = 0, readTo = 0;
        MailerLog log;
    };
    const platform::InstanceContext& context_;
    std::optional<Try> try_;
};

}  // namespace kovalt::monitor
