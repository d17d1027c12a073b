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

std::wstring RestartPolicy::tooltipLine(const std::function<std::wstring(Seconds)>& clock) const {
    if (givenUp_) {
        const std::wstring span = timing_.window % 60 == 0
                                      ? std::to_wstring(timing_.window / 60) + L" minutes"
                                      : std::to_wstring(timing_.window) + L" s";
        const bool noneStarted =
            std::all_of(starts_.begin(), starts_.end(), [](const Start& s) { return s.failed; });
        return L"restart given up: " + std::to_wstring(timing_.limit) +
               (noneStarted ? L" restarts failed" : L" restarts in " + span);
    }
    if (!last_) return {};
    const std::wstring count =
        L" (" + std::to_wstring(lastCount_) + L" of " + std::to_wstring(timing_.limit) + L")";
    if (!failure_.empty()) return L"restart at " + clock(*last_) + L" failed: " + failure_ + count;
    return L"restarted at " + clock(*last_) + count;
}

}  // namespace kovalt::monitor
