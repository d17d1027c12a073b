#include "platform/services.h"

#include "platform/file_dialog.h"
#include "platform/folder_browser.h"
#include "platform/process_query.h"

namespace kovalt::platform {

AppServices realServices(settings::SettingsStore& store) {
    return {store,          currentProgram, checkProcessRunning, startBatchHidden,
            pickFileToOpen, pickFolder};
}

}  // namespace kovalt::platform
