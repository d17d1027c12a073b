// The colour cycle of the About and donations windows: five chained timers, exactly one of them
// enabled while the cycle runs. Each tick gives the colour of its timer and hands over to the
// next one; after timer 5 comes timer 1 again.
#pragma once

#include <array>
#include <functional>

#include "platform/ui/colour.h"

namespace kovalt::about {

using ui::Colour;

inline constexpr int kCycleTimers = 5;
inline constexpr unsigned kCycleIntervalMs = 200;
// The colour each timer applies, timer 1 first: green, red, cyan, magenta, yellow.
inline constexpr std::array<Colour, kCycleTimers> kCycleColours = {
    ui::colours::kGreen, ui::colours::kRed, ui::colours::kCyan, ui::colours::kMagenta,
    ui::colours::kYellow};

class ColourCycle {
public:
    // Switches a window's timer (numbered 1 to 5) on or off; called in the order the cycle
    // switches them.
    using SwitchTimer = std::function<void(int timer, bool on)>;

    // All five timers off until restart().
    explicit ColourCycle(SwitchTimer switchTimer) : switchTimer_(std::move(switchTimer)) {}

    bool enabled(int timer) const { return enabled_[index(timer)]; }

    // Timer `timer` (1 to 5) went off: enables the next timer, disables this one and returns
    // the colour to apply.
    Colour tick(int timer);
    // Disables all five timers, in the order 1 to 5.
    void stop();
    // Timer 1 alone enabled: the next colour is green, one interval from now.
    void restart();

private:
    static size_t index(int timer) { return static_cast<size_t>(timer - 1); }
    void set(int timer, bool on);

    SwitchTimer switchTimer_;
    std::array<bool, kCycleTimers> enabled_ = {};
};

}  // namespace kovalt::about
