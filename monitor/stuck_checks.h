// The checks that find the watched program running but stuck: its log no longer written, its
// address no longer answering, its CPU time no longer moving, its window not responding. Each is
// fed what its probe (platform/stuck_probes.h) saw and when, on the watchdog's clock, and says
// whether the program is stuck and, for the run light's tooltip, which check and since when. A
// check runs only while the program is seen running: every run of it is judged afresh.
#pragma once

#include <optional>
#include <string>

#include "monitor/clock.h"
#include "monitor/tooltip_text.h"
#include "platform/stuck_probes.h"
#include "settings/settings_store.h"

namespace kovalt::monitor {

// What a check watches for change: since when it has stayed as it is, by the looks fed to it.
template <typename T>
class Unchanged {
public:
    void seen(const T& value, Seconds at) {
        if (value_ != value) {
            value_ = value;
            since_ = at;
        }
        lastAt_ = at;
    }
    void reset() { value_.reset(); }
    const std::optional<T>& value() const { return value_; }
    Seconds since() const { return since_; }
    bool heldFor(Seconds span) const { return value_ && lastAt_ - since_ >= span; }

private:
    std::optional<T> value_;
    Seconds since_ = 0, lastAt_ = 0;
};

// Stuck when the file's last write time and size stay as they are for `span`. The file's own
// times are compared only with each other, never with the clock, so neither a clock set back nor
// a share whose clock differs makes it stuck. A file not there (yet, or after a rotation) is
// waited for: a file is not stuck before it was ever written.
class FileCheck {
public:
    FileCheck(std::wstring path, Seconds span) : path_(std::move(path)), span_(span) {}
    const std::wstring& path() const { return path_; }

    void seen(const platform::FileSeen& file, Seconds at);
    void reset() { *this = FileCheck(path_, span_); }
    bool stuck() const {
        return last_ && last_->state == platform::FileState::Present && stamp_.heldFor(span_);
    }
    // "log ... unchanged since 03:12:40", "waiting for ...", why it cannot be read, or nothing.
    std::wstring line(const ClockText& clock) const;

private:
    std::wstring path_;
    Seconds span_;
    std::optional<platform::FileSeen> last_;
    Unchanged<std::pair<unsigned long long, unsigned long long>> stamp_;  // time and size
};

// Stuck after `failures` tries in a row that were not answered; one answer starts the count
// again. Tries begin `spacing` apart, one at a time; the probe gives each its time limit.
class AddressCheck {
public:
    AddressCheck(const std::wstring& text, int failures, Seconds spacing);
    // What to ask; nothing when the stored text names no address (the line says why).
    const std::optional<platform::Address>& address() const { return address_; }

    // Whether a try is due: none on its way, and the last one began `spacing` ago or more.
    bool due(Seconds now) const;
    // A try begins: its number, which its answer brings back.
    int tried(Seconds at);
    // An answer for a try of an earlier run, or after a reset, is dropped.
    void answered(int tryNumber, const platform::AddressAnswer& answer, Seconds at);
    void reset();
    bool stuck() const { return failed_ >= failures_; }
    std::wstring line(const ClockText& clock) const;

private:
    std::wstring problem_;
    std::optional<platform::Address> address_;
    int failures_;
    Seconds spacing_;
    int tries_ = 0;             // numbers the tries, across resets
    std::optional<int> onWay_;  // the try on its way
    std::optional<Seconds> lastBegun_;
    int failed_ = 0;  // in a row
    Seconds failedSince_ = 0;
    std::wstring why_;
};

// Stuck when the CPU time of every process of the name stays as it is for `span`: one that
// moves, ends or newly appears starts the wait again. Nothing is judged while a process cannot
// be read: it might be the one that moves.
class CpuCheck {
public:
    CpuCheck(std::wstring name, Seconds span) : name_(std::move(name)), span_(span) {}
    // `cpu`: every process of the watched name, as the last count found them.
    void seen(const platform::CpuSeen& cpu, Seconds at);
    void reset() { *this = CpuCheck(name_, span_); }
    bool stuck() const;
    std::wstring line(const ClockText& clock) const;

private:
    std::wstring name_;
    Seconds span_;
    Unchanged<std::map<unsigned long, unsigned long long>> times_;
    std::wstring why_;  // the last look could not read every process
};

// Stuck when a window of the program has not responded for `span` in a row.
class WindowCheck {
public:
    WindowCheck(std::wstring name, Seconds span) : name_(std::move(name)), span_(span) {}
    void seen(const platform::WindowsSeen& windows, Seconds at) {
        hung_.seen(windows.hung > 0, at);
    }
    void reset() { hung_.reset(); }
    bool stuck() const { return hung_.value() == true && hung_.heldFor(span_); }
    std::wstring line(const ClockText& clock) const;

private:
    std::wstring name_;
    Seconds span_;
    Unchanged<bool> hung_;
};

// The stuck checks as the settings set them; each is off until filled in.
struct StuckSetup {
    std::wstring file;  // empty: off
    Seconds fileSpan = 600;
    std::wstring address;  // empty: off
    int addressFailures = 3;
    Seconds addressSpacing = 10;
    Seconds cpuSpan = 0;     // 0: off
    Seconds windowSpan = 0;  // 0: off
};
// The hidden keys of seconds, when present, take the place of the minutes (for tests).
StuckSetup stuckSetup(const settings::InstanceSettings& stored);
// Whether any check is set up in the store: only then is there a STUCK alert, and its script.
bool stuckChecksSet(const settings::InstanceSettings& stored);

// The checks set up for one watched name, judged together.
struct StuckChecks {
    StuckChecks() = default;
    StuckChecks(const StuckSetup& setup, const std::wstring& processName);

    std::optional<FileCheck> file;
    std::optional<AddressCheck> address;
    std::optional<CpuCheck> cpu;
    std::optional<WindowCheck> window;

    bool any() const { return file || address || cpu || window; }
    // The program stopped or started again, or is no longer checked: each check starts afresh.
    void reset();
    bool stuck() const;
    // The first stuck check's line; while none is, what the others have to tell (a file waited
    // for, a look that failed), a line each.
    std::wstring line(const ClockText& clock) const;
};

}  // namespace kovalt::monitor
