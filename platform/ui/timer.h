// Timers owned by a window, with the meaning the windows rely on. Reached through window.h.
#pragma once

#include <windows.h>

#include <functional>

namespace kovalt::ui {

class Window;

// A window timer. Enabling (again) restarts the countdown; setting the interval of an enabled
// timer restarts it with the new interval; an interval of 0 keeps it silent. A WM_TIMER that was
// already queued when the timer went off is ignored.
class Timer {
public:
    Timer(Window& owner, std::function<void()> onTick);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    bool enabled() const { return enabled_; }
    UINT interval() const { return interval_; }
    void setEnabled(bool on);
    void setInterval(UINT milliseconds);
    // Runs the tick handler if the timer is on: what WM_TIMER does.
    void fire();

private:
    void arm();

    Window& owner_;
    UINT_PTR id_;
    UINT interval_ = 0;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

}  // namespace kovalt::ui
