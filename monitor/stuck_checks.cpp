#include "monitor/stuck_checks.h"

#include "settings/value_text.h"

namespace kovalt::monitor {

namespace keys = settings::keys;
using platform::FileState;

void FileCheck::seen(const platform::FileSeen& file, Seconds at) {
    last_ = file;
    if (file.state == FileState::Missing) stamp_.reset();  // one that comes back starts afresh
    if (file.state == FileState::Present) stamp_.seen({file.written, file.size}, at);
}

std::wstring FileCheck::line(const ClockText& clock) const {
    if (!last_) return {};
    if (last_->state == FileState::Missing) return L"waiting for " + path_;
    if (last_->state == FileState::Unreadable)
        return L"log " + path_ + L" cannot be read: " + last_->why;
    return stuck() ? L"log " + path_ + L" unchanged since " + clock(stamp_.since()) : L"";
}

AddressCheck::AddressCheck(const std::wstring& text, int failures, Seconds spacing)
    : address_(platform::parseAddress(text, &problem_)), failures_(failures), spacing_(spacing) {}

bool AddressCheck::due(Seconds now) const {
    return address_ && !onWay_ && (!lastBegun_ || now - *lastBegun_ >= spacing_);
}

int AddressCheck::tried(Seconds at) {
    lastBegun_ = at;
    return *(onWay_ = ++tries_);
}

void AddressCheck::answered(int tryNumber, const platform::AddressAnswer& answer, Seconds at) {
    if (onWay_ != tryNumber) return;
    onWay_.reset();
    if (answer.answered) {
        failed_ = 0;
        return;
    }
    if (failed_++ == 0) failedSince_ = at;
    why_ = answer.why;
}

void AddressCheck::reset() {
    onWay_.reset();
    lastBegun_.reset();
    failed_ = 0;
}

std::wstring AddressCheck::line(const ClockText& clock) const {
    if (!address_) return L"address not checked: " + problem_;
    if (!stuck()) return {};
    const std::wstring when = failed_ == 1
                                  ? L" at " + clock(failedSince_)
                                  : L" " + std::to_wstring(failed_) + L" times in a row (since " +
                                        clock(failedSince_) + L")";
    return address_->text + L" did not answer" + when + L": " + why_;
}

void CpuCheck::seen(const platform::CpuSeen& cpu, Seconds at) {
    why_ = cpu.unread.empty() ? L"" : cpu.why;
    if (why_.empty()) times_.seen(cpu.times, at);
}

bool CpuCheck::stuck() const {
    return why_.empty() && times_.value() && !times_.value()->empty() && times_.heldFor(span_);
}

std::wstring CpuCheck::line(const ClockText& clock) const {
    if (!why_.empty()) return L"CPU time of " + name_ + L" cannot be read: " + why_;
    return stuck() ? L"CPU time of " + name_ + L" unchanged since " + clock(times_.since()) : L"";
}

std::wstring WindowCheck::line(const ClockText& clock) const {
    return stuck() ? L"window of " + name_ + L" not responding since " + clock(hung_.since()) : L"";
}

StuckSetup stuckSetup(const settings::InstanceSettings& stored) {
    const auto minutes = [&](const settings::SettingKey& key) {
        return settings::parseWholeIn(stored.text(key), 1, 1440);
    };
    // Hidden seconds in place of minutes, as the reminder's: only for a check that is on.
    const auto span = [&](Seconds fromMinutes, const settings::SettingKey& hidden) {
        return stored.holds(hidden) ? stored.seconds(hidden) : fromMinutes;
    };
    StuckSetup s;
    s.file = stored.text(keys::STUCK_FILE_TEXTBOX);
    s.fileSpan =
        span(60 * minutes(keys::STUCK_FILE_MINUTES_TEXTBOX).value_or(10), keys::STUCK_FILE_SECONDS);
    s.address = stored.text(keys::STUCK_ADDRESS_TEXTBOX);
    s.addressFailures =
        settings::parseWholeIn(stored.text(keys::STUCK_ADDRESS_FAILURES_TEXTBOX), 1, 100)
            .value_or(3);
    s.addressSpacing = stored.seconds(keys::STUCK_ADDRESS_SECONDS);
    if (const std::optional<int> cpu = minutes(keys::STUCK_CPU_MINUTES_TEXTBOX))
        s.cpuSpan = span(60 * *cpu, keys::STUCK_CPU_SECONDS);
    if (stored.flag(keys::STUCK_WINDOW_TICKBOX))
        s.windowSpan = stored.seconds(keys::STUCK_WINDOW_SECONDS);
    return s;
}

bool stuckChecksSet(const settings::InstanceSettings& stored) {
    return StuckChecks(stuckSetup(stored), L"").any();
}

StuckChecks::StuckChecks(const StuckSetup& setup, const std::wstring& processName) {
    if (!setup.file.empty()) file.emplace(setup.file, setup.fileSpan);
    if (setup.address.find_first_not_of(L" \t") != std::wstring::npos)
        address.emplace(setup.address, setup.addressFailures, setup.addressSpacing);
    if (setup.cpuSpan > 0) cpu.emplace(processName, setup.cpuSpan);
    if (setup.windowSpan > 0) window.emplace(processName, setup.windowSpan);
}

void StuckChecks::reset() {
    if (file) file->reset();
    if (address) address->reset();
    if (cpu) cpu->reset();
    if (window) window->reset();
}

bool StuckChecks::stuck() const {
    return (file && file->stuck()) || (address && address->stuck()) || (cpu && cpu->stuck()) ||
           (window && window->stuck());
}

std::wstring StuckChecks::line(const ClockText& clock) const {
    const std::wstring lines[] = {file ? file->line(clock) : L"",
                                  address ? address->line(clock) : L"",
                                  cpu ? cpu->line(clock) : L"", window ? window->line(clock) : L""};
    const bool stuckOnes[] = {file && file->stuck(), address && address->stuck(),
                              cpu && cpu->stuck(), window && window->stuck()};
    std::wstring told;
    for (size_t i = 0; i < std::size(lines); ++i) {
        if (stuckOnes[i]) return lines[i];
        if (!lines[i].empty()) told += (told.empty() ? L"" : L"\r\n") + lines[i];
    }
    return told;
}

}  // namespace kovalt::monitor
