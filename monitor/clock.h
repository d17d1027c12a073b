// The one clock of the watchdog: whole seconds that only move forward (waits and limits are
// counted on it), and how a moment on it reads on the user's clock.
#pragma once

#include <string>

namespace kovalt::monitor {

using Seconds = long long;

#ifdef _WIN32
Seconds now();
// "14:03:22": the time of day `at` was (or will be), as the user's clock shows it.
std::wstring clockText(Seconds at);
#endif

}  // namespace kovalt::monitor
