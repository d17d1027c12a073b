// The program: the strip is the start-up window and everything else opens from it.
#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"
#include "instance/logon_start.h"
#include "instance/settings_window.h"
#include "monitor/instance_watchdog.h"
#include "monitor/main_window.h"
#include "platform/instance_context.h"
#include "platform/registry_store.h"
#include "platform/single_instance.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // An instance that runs already is brought forward instead of watched a second time.
    const std::wstring instance = kovalt::platform::currentProgram().instanceName;
    const kovalt::platform::InstanceLock lock(instance);
    if (lock.heldElsewhere()) {
        kovalt::platform::bringRunningCopyForward(instance,
                                                  kovalt::monitor::MainWindow::kClassName);
        return 0;
    }

    kovalt::platform::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    kovalt::platform::RegistryStore store;
    const kovalt::platform::InstanceContext context =
        kovalt::platform::realContext(store, {IDI_KOVALT, IDI_BROWSE, IDI_FOLDER});
    kovalt::monitor::InstanceState state;
    kovalt::monitor::InstanceWatchdog watchdog(context, state);
    kovalt::monitor::MainWindow main(context, state, *watchdog);
    main.openSettings = [&] {
        return kovalt::instance::showSettings(context, state, main, main.hwnd());
    };
    // Other arguments are ignored.
    main.setStartedAtLogon(kovalt::instance::startedAtLogon(::GetCommandLineW()));
    // The strip never takes the focus when it starts: the user may be typing elsewhere.
    const int show = showCommand == SW_SHOWDEFAULT || showCommand == SW_SHOWNORMAL
                         ? SW_SHOWNOACTIVATE
                         : showCommand;
    // Nowhere to show a reason yet: the exit code carries the system's.
    if (const kovalt::platform::Result opened = main.open(show); !opened.ok())
        return static_cast<int>(opened.code);
    return kovalt::ui::runMessageLoop(main);
}
