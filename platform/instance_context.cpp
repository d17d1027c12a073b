#include "platform/instance_context.h"

#include "platform/command_start.h"
#include "platform/file_dialog.h"
#include "platform/folder_browser.h"
#include "platform/ui/window.h"
#include "platform/win_handles.h"
#include "settings/placement.h"

namespace kovalt::platform {

namespace {
void messageBox(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, text.c_str(), L"KOV-ALT", MB_OK | MB_ICONWARNING);
}
}  // namespace

InstanceContext realContext(settings::SettingsStore& store, Icons icons) {
    return {store,        currentProgram, checkProcessRunning, startBatchHidden, processDetails,
            startProgram, pickFileToOpen, pickFolder,          messageBox,       icons};
}

Result InstanceContext::savePosition(const ui::Window& window,
                                     const settings::PlacementKeys& keys) const {
    const ui::TwipRect place = window.placementTwips();
    return settings::savePosition(settings(), keys, place.left, place.top);
}

void InstanceContext::savePositionAtClose(const ui::Window& window,
                                          const settings::PlacementKeys& keys,
                                          const std::wstring& what) const {
    if (const Result stored = savePosition(window, keys); !stored.ok())
        tell(window.hwnd(), what + L" could not be stored: " + describe(stored));
}

}  // namespace kovalt::platform
