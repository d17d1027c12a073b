// The Windows tests run on one thread with COM and the common controls ready, as the program.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "platform/win_handles.h"

int main(int argc, char** argv) {
    kovalt::platform::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
