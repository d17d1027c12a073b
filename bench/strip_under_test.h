// The real strip (MainWindow) inside a benchmark program: its settings in a scratch registry
// key, its program folder a scratch folder with a BATS folder of two tiny scripts, and a copy
// of the sleeper as the watched process, which the benchmark starts and kills.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "monitor/main_window.h"
#include "platform/registry_store.h"

namespace kovalt::bench {

class StripUnderTest {
public:
    using Probe = std::function<monitor::ProbeResult(const std::wstring& name)>;

    // `label` names the scratch key, folder and watched executable; `probe` is what the strip
    // asks (the shipped WMI probe, or a stand-in).
    StripUnderTest(const std::wstring& label, Probe probe);
    ~StripUnderTest();

    bool open();
    monitor::MainWindow& window() { return *window_; }
    const std::wstring& watchedName() const { return watchedName_; }

    bool startWatched();
    void stopWatched();
    bool watchedRunning() const { return watched_.running(); }

    // One monitor tick of whichever of the two timers is on, as the timer message would run it.
    void tick();
    // Paints what the tick changed, as the message loop would next.
    void paint();
    // The run light's caption: OFF, RUNNING or STOPPED.
    std::wstring runLightText() const;
    // Lines the stopped and running scripts have written so far.
    int scriptRuns(const wchar_t* kind) const;

private:
    ScratchKey key_;
    platform::RegistryStore store_;
    ScratchFolder folder_;
    std::wstring instanceName_ = L"BENCH";
    std::wstring watchedName_;
    Probe probe_;
    Process watched_;
    std::unique_ptr<monitor::MainWindow> window_;
};

}  // namespace kovalt::bench
