#include "platform/instance_context.h"

#include "platform/command_start.h"
#include "platform/file_dialog.h"
#include "platform/folder_browser.h"

namespace kovalt::platform {

InstanceContext realContext(settings::SettingsStore& store, Icons icons) {
    return {store,      currentProgram, checkProcessRunning, startBatchHidden, pickFileToOpen,
            pickFolder, icons};
}

}  // namespace kovalt::platform
