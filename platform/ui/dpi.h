// The DPI a window is shown at, on every Windows the program runs on (7 SP1 and later). The
// functions that tell it came with later versions, so they are looked up while the program runs:
// an import the system lacks would keep the program from starting at all.
#pragma once

#include <windows.h>

namespace kovalt::ui {

// Windows 10 1607 and later tell it per window; 8.1 per monitor (the manifest's per-monitor
// fallback there); older versions have one DPI for the whole screen (its system-aware fallback).
UINT dpiOf(HWND window);

}  // namespace kovalt::ui
