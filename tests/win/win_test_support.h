// Scratch registry keys, scratch folders, helper processes and message pumping for the tests
// that run under Wine (or Windows).
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "monitor/main_window.h"
#include "platform/registry_store.h"
#include "platform/services.h"
#include "platform/win_handles.h"
#include "tests/support/scratch.h"

namespace kovalt::test {

// A registry store rooted at a scratch key under HKCU, deleted with everything below it.
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    platform::RegistryStore& store() { return store_; }
    const std::wstring& root() const { return store_.root(); }

private:
    platform::RegistryStore store_;
};

// A copy of the sleeper program started under the given executable name in `folder`.
class WatchedProcess {
public:
    WatchedProcess(const std::wstring& folder, const std::wstring& exeName);
    ~WatchedProcess() { kill(); }
    bool running() const { return static_cast<bool>(info_.process); }
    void kill();

private:
    platform::ProcessInfo info_;
};

// Pumps this thread's messages until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Pumps messages for a while (lets real timers fire).
void pumpFor(std::chrono::milliseconds span);

// A store that passes everything to another and keeps a list of the keys saved, in order.
class RecordingStore final : public settings::SettingsStore {
public:
    explicit RecordingStore(settings::SettingsStore& inner) : inner_(inner) {}
    std::optional<std::wstring> read(std::wstring_view a, std::wstring_view s,
                                     std::wstring_view k) override {
        return inner_.read(a, s, k);
    }
    settings::SaveResult save(std::wstring_view a, std::wstring_view s, std::wstring_view k,
                              std::wstring_view v) override {
        saved.emplace_back(k);
        if (denyWrites) return {ERROR_ACCESS_DENIED};
        return inner_.save(a, s, k, v);
    }
    std::vector<std::wstring> saved;
    bool denyWrites = false;  // as a registry key the user may not write to

private:
    settings::SettingsStore& inner_;
};

// The folder of the running test program, where the helper programs are built.
std::wstring testProgramFolder();

// One instance "WATCH1" in a scratch program folder with a scratch settings store; the real
// probe and script start (every start is recorded); the file dialog answers what the test says.
class InstanceFixture {
public:
    ScratchRegistry registry;
    RecordingStore recording{registry.store()};
    ScratchFolder program{L"kovalt program"};
    std::wstring programFolder = program.path();  // where the running program says it lies
    std::wstring instanceName = L"WATCH1";         // what it says its name is
    std::vector<std::wstring> started;
    std::optional<std::wstring> fileDialogAnswer;
    std::function<monitor::ProbeResult(const std::wstring&)> probe;  // the real one unless set
    std::vector<platform::FileDialogRequest> fileDialogRequests;
    std::optional<std::wstring> folderAnswer;
    std::vector<std::wstring> folderTitles;

    platform::AppServices services();
    void seed(const wchar_t* key, const std::wstring& value);
    std::optional<std::wstring> stored(const wchar_t* key);
    std::unique_ptr<monitor::MainWindow> openMain();
    // BATS with two scripts that each append a line to RUNNING.txt or STOPPED.txt.
    void writeScripts();
    std::string marker(const wchar_t* kind);
};

std::string narrow(const std::wstring& text);

}  // namespace kovalt::test
