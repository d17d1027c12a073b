// What every window of one instance is given: the settings store, where the program lies and
// what it is called, and the outside world's services. The program passes the real ones
// (realContext); tests pass a scratch registry key, a scratch program folder and stand-ins for
// the platform's own dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/command_start.h"
#include "platform/logon_run.h"
#include "platform/process_query.h"
#include "platform/program_identity.h"
#include "platform/result.h"
#include "settings/settings_store.h"

namespace kovalt::ui {
class Window;
}

namespace kovalt::platform {

struct FileDialogRequest {
    std::wstring filter;  // "Name|pattern|Name|pattern"
    std::wstring defaultExtension;
    std::wstring title;
};

// The program's icons, by the resource ids its resource script gives them.
struct Icons {
    int program = 0, browse = 0, folder = 0;
};

struct InstanceContext {
    settings::SettingsStore& store;
    std::function<ProgramIdentity()> identity;
    std::function<ProbeResult(const std::wstring& name, bool withIds)> probe;
    std::function<Result(const std::wstring& scriptPath, StartedScript& started)> startScript;
    std::function<std::optional<ProcessDetails>(const std::wstring& name)> processDetails;
    std::function<Result(const std::wstring& commandLine, const std::wstring& folder,
                         StartedProgram& started)>
        startProgram;
    // The file-open dialog: the chosen file's name without its folder, nothing when cancelled.
    std::function<std::optional<std::wstring>(HWND owner, const FileDialogRequest&)> pickFile;
    // The folder browser: the chosen folder's path, nothing when cancelled.
    std::function<std::optional<std::wstring>(HWND owner, const std::wstring& title)> pickFolder;
    // A message the user must see, over `owner`, when no window of the program can show it.
    std::function<void(HWND owner, const std::wstring& text)> tell;
    Icons icons;
    // Where Windows keeps the programs it starts at logon (tests give a scratch key).
    std::wstring logonRunKey = kLogonRunKey;

    // The instance's settings, under the name the executable has now.
    settings::InstanceSettings settings() const { return {store, identity().instanceName}; }
    // Stores where `window` is now, Left and Top under `keys`; the first failure.
    Result savePosition(const ui::Window& window, const settings::PlacementKeys& keys) const;
    // The same at the window's close, where nothing else is left to show a failure: then tells
    // that `what` (where the window is) could not be stored.
    void savePositionAtClose(const ui::Window& window, const settings::PlacementKeys& keys,
                             const std::wstring& what) const;
};

InstanceContext realContext(settings::SettingsStore& store, Icons icons);

}  // namespace kovalt::platform
