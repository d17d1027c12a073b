#include "monitor/heartbeat.h"

#include <algorithm>
#include <utility>

namespace kovalt::monitor {

namespace {
constexpr int kQuickRetries = 3;  // after 1, 2 and 4 s

// Where a push monitor's token ends the path: the URL before its query, else nothing.
std::optional<std::wstring> pushMonitorBase(const std::wstring& url) {
    const std::wstring base = url.substr(0, url.find(L'?'));
    const size_t api = base.rfind(L"/api/push/");
    if (api == std::wstring::npos || base.size() == api + 10 ||
        base.find(L'/', api + 10) != std::wstring::npos)
        return std::nullopt;
    return base;
}
}  // namespace

std::wstring successUrl(const std::wstring& url) {
    if (const auto base = pushMonitorBase(url)) return *base + L"?status=up&msg=OK";
    return url;
}

std::wstring failureUrl(const std::wstring& url, Light light) {
    const wchar_t* word = light == Light::Stuck     ? L"STUCK"
                          : light == Light::NoCheck ? L"NO%20CHECK"
                                                    : L"STOPPED";
    if (const auto base = pushMonitorBase(url)) return *base + L"?status=down&msg=" + word;
    const size_t query = std::min(url.find(L'?'), url.size());
    std::wstring path = url.substr(0, query);
    if (!path.ends_with(L'/')) path += L'/';
    return path + L"fail" + url.substr(query);
}

std::optional<std::wstring> Heartbeat::tick(Seconds now, Light light, bool givenUp) {
    if (light == Light::Off || url_.empty()) {
        light_ = Light::Off;
        givenUp_ = givenUp;
        owed_.reset();
        retryUrl_.clear();
        return std::nullopt;
    }
    if (light != light_) {
        light_ = light;
        since_ = now;
        noCheckTold_ = false;
        retryUrl_.clear();  // what failed is of no more use
        if (light == Light::Running)
            owed_ = successUrl(url_);
        else if (light == Light::NoCheck)
            owed_.reset();  // told only once it has lasted a period
        else
            owed_ = failureUrl(url_, light);
    }
    if (givenUp && !givenUp_ && light != Light::Running) owed_ = failureUrl(url_, light);
    givenUp_ = givenUp;
    if (light == Light::NoCheck && !noCheckTold_ && now - since_ >= period_) {
        noCheckTold_ = true;
        owed_ = failureUrl(url_, light);
    }
    if (pinging_) return std::nullopt;

    std::wstring url;
    if (owed_) {
        url = *std::exchange(owed_, std::nullopt);
        failures_ = 0;
    } else if (!retryUrl_.empty()) {
        if (now < retryAt_) return std::nullopt;
        url = retryUrl_;
    } else if (light == Light::Running && now - lastStart_ >= period_) {
        url = successUrl(url_);
        failures_ = 0;
    } else {
        return std::nullopt;
    }
    retryUrl_ = url;
    pinging_ = true;
    lastStart_ = now;
    return url;
}

void Heartbeat::ended(Seconds now, bool ok, const std::wstring& why) {
    if (!pinging_) return;
    pinging_ = false;
    last_ = Last{ok, now, why};
    if (ok || failures_ == kQuickRetries) {
        // Sent, or left until the next ping is due.
        retryUrl_.clear();
        failures_ = 0;
        return;
    }
    retryAt_ = now + (Seconds{1} << failures_++);
}

std::wstring Heartbeat::line(const ClockText& clock) const {
    if (!last_) return {};
    if (last_->ok) return L"heartbeat sent " + clock(last_->at);
    return L"heartbeat failed " + clock(last_->at) + L": " + last_->why;
}

}  // namespace kovalt::monitor
