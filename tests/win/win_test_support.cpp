#include "win_test_support.h"

#include "platform/process_query.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kovalt::test {

ScratchRegistry::ScratchRegistry() : store_(L"Software\\KovaltTests\\" + uniqueSuffix()) {}

ScratchRegistry::~ScratchRegistry() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, store_.root().c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, store_.root().c_str());
}

std::wstring testProgramFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L'\\'));
}

WatchedProcess::WatchedProcess(const std::wstring& folder, const std::wstring& exeName) {
    const std::wstring target = folder + L"\\" + exeName;
    const std::wstring source = testProgramFolder() + L"\\kovalt_test_sleeper.exe";
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE) && !fileExists(target)) {
        ADD_FAILURE() << "cannot copy the sleeper: " << ::GetLastError();
        return;
    }
    std::wstring commandLine = L"\"" + target + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION raw = {};
    if (!::CreateProcessW(target.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, folder.c_str(), &startup, &raw)) {
        ADD_FAILURE() << "cannot start the sleeper: " << ::GetLastError();
        return;
    }
    info_ = {platform::UniqueHandle(raw.hProcess), platform::UniqueHandle(raw.hThread),
             raw.dwProcessId};
}

void WatchedProcess::kill() {
    if (!info_.process) return;
    ::TerminateProcess(info_.process.get(), 0);
    ::WaitForSingleObject(info_.process.get(), 10000);
    info_ = {};
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        pumpFor(std::chrono::milliseconds(20));
    }
}

void pumpFor(std::chrono::milliseconds span) { ui::pumpMessages(span); }

platform::AppServices InstanceFixture::services() {
    return {recording,
            [this] { return platform::ProgramIdentity{programFolder, instanceName}; },
            [this](const std::wstring& name) {
                return probe ? probe(name) : platform::checkProcessRunning(name);
            },
            [this](const std::wstring& path) {
                started.push_back(path);
                return platform::startBatchHidden(path);
            },
            [this](HWND, const platform::FileDialogRequest& request) {
                fileDialogRequests.push_back(request);
                return fileDialogAnswer;
            },
            [this](HWND, const std::wstring& title) {
                folderTitles.push_back(title);
                return folderAnswer;
            }};
}

void InstanceFixture::seed(const wchar_t* key, const std::wstring& value) {
    registry.store().save(L"KOVALT", instanceName, key, value);
}

std::optional<std::wstring> InstanceFixture::stored(const wchar_t* key) {
    return registry.store().read(L"KOVALT", instanceName, key);
}

std::unique_ptr<monitor::MainWindow> InstanceFixture::openMain() {
    auto w = std::make_unique<monitor::MainWindow>(services());
    EXPECT_TRUE(w->open());
    return w;
}

void InstanceFixture::writeScripts() {
    makeFolder(programFolder + L"\\BATS");
    for (const char* kind : {"RUNNING", "STOPPED"}) {
        std::wstring wkind(kind, kind + strlen(kind));
        // "%~dp0..": the marker beside the script, wherever the program folder is.
        writeFile(programFolder + L"\\BATS\\" + instanceName + L"-PROCESS-" + wkind +
                      L"-EMAIL.bat",
                  std::string("echo ") + kind + ">> \"%~dp0..\\" + kind + ".txt\"\r\n");
    }
}

std::string InstanceFixture::marker(const wchar_t* kind) {
    return readFile(programFolder + L"\\" + kind + L".txt");
}

std::string narrow(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace kovalt::test
