#include "platform/window_stacking.h"

namespace kovalt::platform {

void keepAboveForeground(HWND self) {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == self) return;
    // SWP_NOACTIVATE: only the stacking order changes, never the keyboard focus. Results are
    // not examined; a step that cannot change the order is simply tried again next time.
    constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
    if (foreground) ::SetWindowPos(foreground, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(self, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

}  // namespace kovalt::platform
