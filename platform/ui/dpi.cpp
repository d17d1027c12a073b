#include "platform/ui/dpi.h"

#include <shellscalingapi.h>

#include <optional>

#include "platform/win_handles.h"

namespace kovalt::ui {

namespace {
using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

// What this Windows offers, looked up once; shcore is loaded only where the window's own DPI
// is not to be had, and stays loaded with the program.
struct DpiFunctions {
    DpiFunctions() {
        if (forWindow) return;
        shcore.emplace(L"shcore.dll");
        forMonitor = shcore->get<DpiForMonitor>("GetDpiForMonitor");
    }
    platform::SystemLibrary user32{L"user32.dll"};
    DpiForWindow forWindow = user32.get<DpiForWindow>("GetDpiForWindow");
    std::optional<platform::SystemLibrary> shcore;
    DpiForMonitor forMonitor = nullptr;
};
}  // namespace

UINT dpiOf(HWND window) {
    static const DpiFunctions system;
    if (system.forWindow) return system.forWindow(window);
    UINT x = 0, y = 0;
    if (system.forMonitor &&
        SUCCEEDED(system.forMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                    MDT_EFFECTIVE_DPI, &x, &y)) &&
        x > 0)
        return x;
    HDC screen = ::GetDC(nullptr);
    const int logical = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return logical > 0 ? static_cast<UINT>(logical) : 96;
}

}  // namespace kovalt::ui
