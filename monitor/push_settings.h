// What the push settings window checks before it stores anything, and the heartbeat's period
// as stored.
#pragma once

#include <optional>
#include <string>

#include "monitor/clock.h"
#include "monitor/push_message.h"
#include "settings/settings_store.h"

namespace kovalt::monitor {

// The longest URL taken: far beyond any service's, well within what WinHTTP sends.
inline constexpr size_t kLongestUrl = 2000;

// The first thing that keeps these settings from working, in plain words; nothing when they
// can be stored. An empty heartbeat URL is no heartbeat; empty minutes are the default.
std::optional<std::wstring> pushSettingsProblem(const PushConfig& push,
                                                const std::wstring& heartbeatUrl,
                                                const std::wstring& heartbeatMinutes);

// HEARTBEAT_SECONDS when stored (for tests), else the minutes box; 5 minutes when it holds
// no whole number from 1 to 1440.
Seconds heartbeatPeriod(const settings::InstanceSettings& settings);

}  // namespace kovalt::monitor
