// What the windows need from the outside world. The program passes the real services
// (realServices); tests pass a scratch registry key, a scratch program folder and, for the
// platform's own dialogs, stand-ins.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "monitor/run_monitor.h"
#include "platform/command_start.h"
#include "platform/program_identity.h"
#include "settings/settings_store.h"

namespace kovalt::platform {

struct FileDialogRequest {
    std::wstring filter;  // "Name|pattern|Name|pattern"
    std::wstring defaultExtension;
    std::wstring title;
};

struct AppServices {
    settings::SettingsStore& store;
    std::function<ProgramIdentity()> identity;
    std::function<monitor::ProbeResult(const std::wstring& name)> probe;
    std::function<StartResult(const std::wstring& scriptPath)> startScript;
    // The file-open dialog: the chosen file's name without its folder, nothing when cancelled.
    std::function<std::optional<std::wstring>(HWND owner, const FileDialogRequest&)> pickFile;
    // The folder browser: the chosen folder's path, nothing when cancelled.
    std::function<std::optional<std::wstring>(HWND owner, const std::wstring& title)> pickFolder;
};

AppServices realServices(settings::SettingsStore& store);

}  // namespace kovalt::platform
