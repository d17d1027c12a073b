// The program: the strip is the start-up window and everything else opens from it.
#include <windows.h>
#include <commctrl.h>

#include "monitor/main_window.h"
#include "platform/registry_store.h"
#include "platform/services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    kovalt::platform::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    kovalt::platform::RegistryStore store;
    kovalt::monitor::MainWindow main(kovalt::platform::realServices(store));
    // The strip never takes the focus when it starts: the user may be typing elsewhere.
    if (!main.open(showCommand == SW_SHOWDEFAULT || showCommand == SW_SHOWNORMAL
                       ? SW_SHOWNOACTIVATE
                       : showCommand))
        return 1;
    return kovalt::ui::runMessageLoop(main);
}
