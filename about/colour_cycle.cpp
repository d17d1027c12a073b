#include "about/colour_cycle.h"

namespace kovalt::about {

void ColourCycle::set(int timer, bool on) {
    enabled_[index(timer)] = on;
    if (switchTimer_) switchTimer_(timer, on);
}

Colour ColourCycle::tick(int timer) {
    // The next one is enabled before this one goes off, so the chain is never without a timer.
    set(timer % kCycleTimers + 1, true);
    set(timer, false);
    return kCycleColours[index(timer)];
}

void ColourCycle::stop() {
    for (int timer = 1; timer <= kCycleTimers; ++timer) set(timer, false);
}

void ColourCycle::restart() {
    for (int timer = 2; timer <= kCycleTimers; ++timer)
        if (enabled(timer)) set(timer, false);
    // Enabling timer 1 again, even when it runs, starts its countdown afresh.
    set(1, true);
}

}  // namespace kovalt::about
