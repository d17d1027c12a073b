#include "win_test_support.h"

#include "app/resource.h"
#include "platform/command_start.h"
#include "platform/process_query.h"
#include "platform/program_identity.h"

namespace kovalt::test {

ScratchStore::~ScratchStore() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, registry.root().c_str());  // leaves the key itself
    ::RegDeleteKeyW(HKEY_CURRENT_USER, registry.root().c_str());
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !condition();) {
        if (std::chrono::steady_clock::now() >= end) return false;
        ui::pumpMessages(20ms);
    }
    return true;
}

bool waitForCount(const std::wstring& name, unsigned count) {
    return waitUntil([&] { return platform::checkProcessRunning(name).count == count; });
}

std::wstring helperProgram(const wchar_t* name) {
    return platform::currentProgram().folder + L"\\" + name;
}

void Instance::seed(std::initializer_list<std::pair<const wchar_t*, std::wstring>> values) {
    for (const auto& [key, value] : values)
        store.registry.save(L"KOVALT", instanceName, key, value);
}

std::optional<std::wstring> Instance::stored(const wchar_t* key, const wchar_t* app) {
    return store.registry.read(app, instanceName, key).text;
}

Instance::Instance()
    : context{store,
              [this] {
                  return platform::ProgramIdentity{programFolder, instanceName};
              },
              [this](const std::wstring& name, bool withIds) {
                  return probe ? probe(name) : platform::checkProcessRunning(name, withIds);
              },
              [this](const std::wstring& path, platform::StartedScript& script) {
                  started.push_back(path);
                  return platform::startBatchHidden(path, script);
              },
              platform::processDetails,
              [this](const std::wstring& command, const std::wstring& folder,
                     platform::StartedProgram& program) {
                  started.push_back(command);
                  return platform::startProgram(command, folder, program);
              },
              [this](HWND, const platform::FileDialogRequest&) { return fileAnswer; },
              [](HWND, const std::wstring&) { return std::optional<std::wstring>(); },
              [this](HWND, const std::wstring& text) { told.push_back(text); },
              {IDI_KOVALT, IDI_BROWSE, IDI_FOLDER},
              store.registry.root() + L"\\Run"} {}

monitor::MainWindow& Instance::makeMain() {
    // What was opened over the strip before goes first, then the strip and its watchdog.
    emailMain.reset();
    settings.reset();
    main.reset();
    watchdog = std::make_unique<monitor::InstanceWatchdog>(context, state);
    main = std::make_unique<monitor::MainWindow>(context, state, **watchdog);
    main->openSettings = [this] {
        return instance::showSettings(context, state, *main, main->hwnd());
    };
    return *main;
}

monitor::MainWindow& Instance::openMain() {
    EXPECT_TRUE(makeMain().open().ok());
    return *main;
}

instance::SettingsWindow& Instance::openSettings() {
    monitor::MainWindow& strip = openMain();
    return *(settings = opened<instance::SettingsWindow>(context, state, strip, strip.hwnd()));
}

email::EmailMainWindow& Instance::openEmailMain() {
    instance::SettingsWindow& opener = openSettings();
    return *(emailMain = opened<email::EmailMainWindow>(
                 context, state, *main, opener.hwnd(),
                 [&opener] { opener.setUpdateLight(ui::colours::kGreen); }));
}

std::wstring Instance::script(const wchar_t* kind) const {
    return programFolder + L"\\BATS\\" + instanceName + L"-PROCESS-" + kind + L"-EMAIL.bat";
}

std::wstring Instance::light() const { return ui::Window::controlText(main->runLight()); }

std::wstring Instance::lightTip() const {
    return ui::WindowTestAccess::tooltip(*main, monitor::MainWindow::RUN_LIGHT_LABEL);
}

std::wstring Instance::runSleeperCopy(const wchar_t* stem, const wchar_t* seconds,
                                      platform::StartedProgram& running) {
    const std::wstring name = stem + (L" " + uniqueSuffix()) + L".exe";
    const std::wstring path = programFolder + L"\\" + name;
    const bool started =
        ::CopyFileW(helperProgram(L"kovalt_test_sleeper.exe").c_str(), path.c_str(), FALSE) &&
        platform::startProgram(L"\"" + path + L"\" " + seconds, programFolder, running).ok() &&
        waitForCount(name, 1);
    return started ? path : L"";
}

}  // namespace kovalt::test
