#include "monitor/restart_policy.h"

#include <algorithm>

namespace kovalt::monitor {

bool RestartPolicy::due(Seconds now) {
    if (givenUp_) return false;
    while (!starts_.empty() && starts_.front().at <= now - timing_.window) starts_.pop_front();
    if (static_cast<int>(starts_.size()) >= timing_.limit) {
        givenUp_ = true;
        return false;
    }
    if (!awayFrom_) awayFrom_ = now;
    const Seconds wait = starts_.empty() ? 0 : Seconds{1} << (starts_.size() - 1);
    return now >= *awayFrom_ + wait;
}

void RestartPolicy::seenRunning() {
    awayFrom_.reset();
    if (givenUp_) reset();
}

void RestartPolicy::started(Seconds now, const std::wstring& failure) {
    starts_.push_back({now, !failure.empty()});
    restarted_ = failure.empty();
    awayFrom_.reset();
    last_ = now;
    lastCount_ = static_cast<int>(starts_.size());
    failure_ = failure;
}

RestartPolicy::Shown RestartPolicy::shown() const {
    const bool noneStarted =
        std::all_of(starts_.begin(), starts_.end(), [](const Start& s) { return s.failed; });
    return {givenUp_, noneStarted, timing_.limit, timing_.window, last_, lastCount_, failure_};
}

}  // namespace kovalt::monitor
