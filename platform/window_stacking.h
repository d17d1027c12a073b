// Keeps a window above the others: the window in the foreground leaves the topmost band and
// ours enters it. Neither call activates a window, so the user keeps typing where they were.
#pragma once

#include <windows.h>

namespace kovalt::platform {

void keepAboveForeground(HWND self);

}  // namespace kovalt::platform
