#include "bench/strip_under_test.h"

#include <algorithm>

#include "platform/instance_context.h"

namespace kovalt::bench {

namespace {
std::wstring uniqueLabel(const std::wstring& label) {
    return label + L"-" + std::to_wstring(::GetCurrentProcessId());
}
}  // namespace

StripUnderTest::StripUnderTest(const std::wstring& label, Probe probe)
    : key_(L"Software\\KovaltBench\\" + uniqueLabel(label)),
      store_(key_.path()),
      folder_(L"kovalt bench " + label),
      watchedName_(L"kvbench-" + uniqueLabel(label) + L".exe"),
      probe_(std::move(probe)) {
    ::CreateDirectoryW((folder_ / L"BATS").c_str(), nullptr);
    for (const wchar_t* kind : {L"STOPPED", L"RUNNING"}) {
        const std::string k = narrow(kind);
        writeFile(folder_ / (L"BATS\\" + instanceName_ + L"-PROCESS-" + kind + L"-EMAIL.bat"),
                  "@echo " + k + ">>\"%~dp0" + k + ".txt\"\r\n");
    }
    copySleeper(folder_.path(), watchedName_);
    store_.save(L"KOVALT", instanceName_, L"PROCESS_NAME_TEXTBOX", watchedName_);
    store_.save(L"KOVALT", instanceName_, L"ENABLED_TICKBOX", L"1");
    store_.save(L"KOVALT", instanceName_, L"AlwaysOnTop_TICKBOX", L"0");
}

StripUnderTest::~StripUnderTest() {
    window_.reset();
    watched_.kill();
}

bool StripUnderTest::open() {
    platform::AppServices services = platform::realServices(store_);
    const std::wstring folder = folder_.path(), instance = instanceName_;
    services.identity = [folder, instance] { return platform::ProgramIdentity{folder, instance}; };
    services.probe = probe_;
    window_ = std::make_unique<monitor::MainWindow>(std::move(services));
    if (!window_->open()) return false;
    pumpExceptTimers();
    return true;
}

bool StripUnderTest::startWatched() {
    watched_ = Process::start(folder_ / watchedName_, L"", folder_.path(), CREATE_NO_WINDOW);
    return watched_.running() && waitForProcessCount(watchedName_, true);
}

void StripUnderTest::stopWatched() {
    watched_.kill();
    waitForProcessCount(watchedName_, false);
}

void StripUnderTest::tick() {
    if (window_->processStoppedTimer().enabled())
        window_->PROCESS_STOPPED_TIMER_Timer();
    else
        window_->PROCESS_RUNNING_TIMER_Timer();
}

void StripUnderTest::paint() {
    ::RedrawWindow(window_->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpExceptTimers();
}

std::wstring StripUnderTest::runLightText() const {
    wchar_t text[64] = {};
    ::GetWindowTextW(window_->runLight(), text, 64);
    return text;
}

int StripUnderTest::scriptRuns(const wchar_t* kind) const {
    const std::string text = readFile(folder_ / (L"BATS\\" + std::wstring(kind) + L".txt"));
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace kovalt::bench
