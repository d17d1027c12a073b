#include "platform/ui/window.h"

#include "platform/ui/dpi.h"

namespace kovalt::ui {

namespace {
BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {sizeof(info)};
    if (::GetMonitorInfoW(monitor, &info)) {
        auto* list = reinterpret_cast<std::vector<MonitorArea>*>(data);
        const RECT& b = info.rcMonitor;
        const RECT& w = info.rcWork;
        list->push_back({{b.left, b.top, b.right, b.bottom}, {w.left, w.top, w.right, w.bottom}});
    }
    return TRUE;
}

std::vector<MonitorArea> monitors() {
    std::vector<MonitorArea> list;
    ::EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}
}  // namespace

Window::~Window() {
    if (hwnd_) {
        // The derived object is gone; no message may reach it any more.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

UINT Window::dpi() const { return hwnd_ ? dpiOf(hwnd_) : 96; }

HICON Window::programIcon(int resource, int size) {  // shared by the module, never freed
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                           IMAGE_ICON, size, size, LR_SHARED));
}

platform::Result Window::create(const wchar_t* className, DWORD style, DWORD exStyle,
                                const std::wstring& caption, HWND owner, int iconResource) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {sizeof(wc)};
    if (!::GetClassInfoExW(instance, className, &wc)) {
        wc = {sizeof(wc)};
        wc.lpfnWndProc = &Window::thunk;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = programIcon(iconResource, ::GetSystemMetrics(SM_CXICON));
        wc.hIconSm = programIcon(iconResource, ::GetSystemMetrics(SM_CXSMICON));
        if (!::RegisterClassExW(&wc)) return {::GetLastError()};
    }
    if (!::CreateWindowExW(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this))
        return {::GetLastError()};
    dpi_ = dpi();
    return {};
}

LRESULT CALLBACK Window::thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            return self->handle(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the system's frames; the message goes unhandled instead.
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Window::handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (onMessage(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_COMMAND:
            onCommandMessage(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case DM_GETDEFID: return defaultButtonId();
        case WM_ACTIVATE:
            if (onActivate(wp)) return 0;
            break;
        case kFocusLeft: onFocusLeft(static_cast<int>(wp), reinterpret_cast<HWND>(lp)); return 0;
        case WM_TIMER:
            if (auto it = timers_.find(wp); it != timers_.end()) it->second->fire();
            return 0;
        case WM_NOTIFY: return onNotify(wp, lp);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return onCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_DPICHANGED: onDpiChanged(HIWORD(wp), reinterpret_cast<RECT*>(lp)); return 0;
        case WM_CLOSE:
            if (!closed_) {
                closed_ = true;
                onClose();
            }
            return 0;  // the owner of the window's life (modal loop or program) destroys it
        case WM_NCDESTROY: {
            LRESULT r = ::DefWindowProcW(hwnd_, msg, wp, lp);
            ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            closed_ = true;
            return r;
        }
        default: break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

bool Window::onMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

TwipRect Window::placementTwips() const {
    RECT r = {};
    ::GetWindowRect(hwnd_, &r);
    const UINT d = dpi();
    auto twips = [d](long pixels, long placed, float placedTwips) {
        return pixels == placed ? placedTwips : pixelsToTwips(pixels, d);
    };
    return {twips(r.left, placedPixels_.left, placedTwips_.left),
            twips(r.top, placedPixels_.top, placedTwips_.top),
            twips(r.right - r.left, placedPixels_.right - placedPixels_.left, placedTwips_.width),
            twips(r.bottom - r.top, placedPixels_.bottom - placedPixels_.top, placedTwips_.height)};
}

void Window::applyPlacement(const TwipRect& twips) {
    // Twice at most: moving onto a monitor of another DPI changes what the twips mean there.
    for (int pass = 0; pass < 2; ++pass) {
        const UINT before = dpi();
        PixelRect r = bringIntoView(toPixels(twips, before), monitors());
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width(), r.height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (dpi() == before) break;
    }
    // Remember where these twips put the window; a window moved into view since differs.
    placedTwips_ = twips;
    const PixelRect expected = toPixels(twips, dpi());
    placedPixels_ = {expected.left, expected.top, expected.right, expected.bottom};
}

void Window::onDpiChanged(UINT newDpi, const RECT* suggested) {
    dpi_ = newDpi;
    if (suggested)
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    relayout();
}

void Window::relayout() {
    for (const Placed& p : placed_) {
        PixelRect r = toPixels(p.rect, dpi_);
        ::SetWindowPos(p.hwnd, nullptr, r.left, r.top, r.width(), r.height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    refreshFonts();
}

}  // namespace kovalt::ui
