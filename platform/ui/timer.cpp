#include "platform/ui/timer.h"

#include "platform/ui/window.h"

namespace kovalt::ui {

Timer::Timer(Window& owner, std::function<void()> onTick)
    : owner_(owner), id_(owner.nextTimerId_++), onTick_(std::move(onTick)) {
    owner_.timers_[id_] = this;
}

Timer::~Timer() {
    if (owner_.hwnd_) ::KillTimer(owner_.hwnd_, id_);
    owner_.timers_.erase(id_);
}

void Timer::arm() {
    if (!owner_.hwnd_) return;
    // SetTimer with an id already in use restarts its countdown.
    if (enabled_ && interval_ > 0)
        ::SetTimer(owner_.hwnd_, id_, interval_, nullptr);
    else
        ::KillTimer(owner_.hwnd_, id_);
}

void Timer::setEnabled(bool on) {
    enabled_ = on;
    arm();
}

void Timer::setInterval(UINT milliseconds) {
    interval_ = milliseconds;
    arm();
}

void Timer::fire() {
    if (enabled_ && interval_ > 0 && onTick_) onTick_();
}

}  // namespace kovalt::ui
