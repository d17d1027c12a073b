#include "platform/ui/window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/ui/dpi.h"

namespace kovalt::ui {

namespace {
constexpr const wchar_t* kDefaultFace = L"Tahoma";
constexpr double kDefaultPoints = 8.0;
// Posted when the focus has left a text box, to look at where it went once it is there.
constexpr UINT kFocusLeft = WM_APP + 1;

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

HICON iconOf(int resource, int size) {  // shared by the module, never freed
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                           IMAGE_ICON, size, size, LR_SHARED));
}

// The label of a push button of more than one line, wrapped where its width needs it and
// centred, as Windows draws it: Wine breaks such a label at every blank, so that three words
// take three lines and the last is cut off.
LRESULT drawWrappedLabel(const NMCUSTOMDRAW& draw) {
    HWND button = draw.hdr.hwndFrom;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(button)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(button, text.data(), int(text.size()))));
    RECT area = draw.rc;
    ::InflateRect(&area, -3, -3);
    RECT needed = area;
    constexpr UINT kFlags = DT_WORDBREAK | DT_CENTER | DT_NOPREFIX;
    ::DrawTextW(draw.hdc, text.c_str(), -1, &needed, kFlags | DT_CALCRECT);
    area.top += std::max(0L, ((area.bottom - area.top) - (needed.bottom - needed.top)) / 2);
    if (draw.uItemState & CDIS_SELECTED) ::OffsetRect(&area, 1, 1);
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::SetTextColor(draw.hdc,
                   ::GetSysColor(::IsWindowEnabled(button) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    ::DrawTextW(draw.hdc, text.c_str(), -1, &area, kFlags);
    if (draw.uItemState & CDIS_FOCUS) {
        RECT focus = draw.rc;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(draw.hdc, &focus);
    }
    return CDRF_SKIPDEFAULT;
}

bool isMultiLineButton(HWND control) {
    wchar_t name[8] = {};
    return ::GetClassNameW(control, name, 8) && std::wstring_view(name) == L"Button" &&
           (::GetWindowLongW(control, GWL_STYLE) & BS_MULTILINE) &&
           (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
}

std::vector<MonitorArea> monitors() {
    std::vector<MonitorArea> list;
    ::EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}
}  // namespace

// ---- Timer ----------------------------------------------------------------------------------

Timer::Timer(Window& owner, std::function<void()> onTick)
    : owner_(owner), id_(owner.nextTimerId_++), onTick_(std::move(onTick)) {
    owner_.timers_[id_] = this;
}

Timer::~Timer() {
    if (owner_.hwnd_) ::KillTimer(owner_.hwnd_, id_);
    owner_.timers_.erase(id_);
}

void Timer::arm() {
    if (!owner_.hwnd_) return;
    // SetTimer with an id already in use restarts its countdown.
    if (enabled_ && interval_ > 0)
        ::SetTimer(owner_.hwnd_, id_, interval_, nullptr);
    else
        ::KillTimer(owner_.hwnd_, id_);
}

void Timer::setEnabled(bool on) {
    enabled_ = on;
    arm();
}

void Timer::setInterval(UINT milliseconds) {
    interval_ = milliseconds;
    arm();
}

void Timer::fire() {
    if (enabled_ && interval_ > 0 && onTick_) onTick_();
}

// ---- Window ---------------------------------------------------------------------------------

Window::~Window() {
    if (hwnd_) {
        // The derived object is gone; no message may reach it any more.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

UINT Window::dpi() const { return hwnd_ ? dpiOf(hwnd_) : 96; }

std::wstring Window::controlText(HWND control) {
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
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
        wc.hIcon = iconOf(iconResource, ::GetSystemMetrics(SM_CXICON));
        wc.hIconSm = iconOf(iconResource, ::GetSystemMetrics(SM_CXSMICON));
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
        case DM_GETDEFID: {
            // As in a dialog, a push button with the focus is the default one while it has
            // it: Enter presses the button the user sees focused, never the OK behind it.
            HWND focus = ::GetFocus();
            if (focus && ::GetParent(focus) == hwnd_ &&
                (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
                return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
            return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
        }
        case WM_ACTIVATE:
            // As in a dialog, the control that had the focus gets it back when the user returns
            // from another program or a window opened over this one.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
            } else if (!HIWORD(wp) && lastFocus_ && ::IsChild(hwnd_, lastFocus_)) {
                ::SetFocus(lastFocus_);
                return 0;
            }
            break;
        case kFocusLeft: {
            // Losing focus is the focus moving to another control of this program; switching
            // to another program leaves this thread without a focus, and is not that.
            HWND focus = ::GetFocus(), box = reinterpret_cast<HWND>(lp);
            if (focus && focus != box) onCommand(static_cast<int>(wp), EN_KILLFOCUS, box);
            return 0;
        }
        case WM_TIMER:
            if (auto it = timers_.find(wp); it != timers_.end()) it->second->fire();
            return 0;
        case WM_NOTIFY: {
            const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lp);
            if (draw->hdr.code == NM_CUSTOMDRAW && draw->dwDrawStage == CDDS_PREPAINT &&
                isMultiLineButton(draw->hdr.hwndFrom))
                return drawWrappedLabel(*draw);
            break;
        }
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

void Window::onCommandMessage(int id, int code, HWND control) {
    if (control && code == EN_KILLFOCUS) {
        ::PostMessageW(hwnd_, kFocusLeft, id, reinterpret_cast<LPARAM>(control));
        return;
    }
    // Enter and Esc arrive as IDOK and IDCANCEL from the dialog keyboard handling.
    if (!control && id == IDOK && defaultButton_) id = defaultButton_;
    if (!control && id == IDCANCEL) {
        if (!cancelButton_) return;
        id = cancelButton_;
    }
    if (!control && (id == defaultButton_ || id == cancelButton_)) {
        control = this->control(id);
        if (!::IsWindowEnabled(control)) return;
        code = BN_CLICKED;
    }
    onCommand(id, code, control);
}

void Window::setControlText(int id, const std::wstring& text) {
    if (controlText(id) != text) ::SetWindowTextW(control(id), text.c_str());
}

int Window::tickValue(int id) const {
    return ::SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Window::setTickValue(int id, int value) {
    value = value ? 1 : 0;
    if (tickValue(id) == value) return;
    ::SendMessageW(control(id), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    onCommand(id, BN_CLICKED, control(id));
}

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

HWND Window::addControl(const wchar_t* cls, int id, const std::wstring& text, DWORD style,
                        const TwipRect& rect, DWORD exStyle) {
    const UINT d = dpi();
    PixelRect r = toPixels(rect, d);
    HWND child = ::CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   r.left, r.top, r.width(), r.height(), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (child) {
        placed_.push_back({child, rect});
        setFont(child, kDefaultFace, kDefaultPoints, false);
    }
    return child;
}

HWND Window::addLabel(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle) {
    return addControl(L"STATIC", id, text, SS_LEFT | SS_NOPREFIX | extraStyle, rect);
}

HWND Window::addButton(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle) {
    return addControl(L"BUTTON", id, text, WS_TABSTOP | extraStyle, rect);
}

HWND Window::addTextBox(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle) {
    return addControl(L"EDIT", id, text, WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, rect,
                      WS_EX_CLIENTEDGE);
}

HWND Window::addTickBox(int id, const std::wstring& text, const TwipRect& rect, bool automatic) {
    return addControl(L"BUTTON", id, text,
                      WS_TABSTOP | static_cast<DWORD>(automatic ? BS_AUTOCHECKBOX : BS_CHECKBOX),
                      rect);
}

HWND Window::addLine(int id, const TwipRect& rect) {
    return addControl(L"STATIC", id, L"", SS_ETCHEDHORZ, rect);
}

HWND Window::addPictureButton(int id, int iconResource, const TwipRect& rect) {
    HWND button = addButton(id, L"", rect, BS_ICON);
    ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(iconOf(iconResource, 16)));
    return button;
}

HWND Window::addHeading(int id, const std::wstring& text, const TwipRect& rect, double points) {
    HWND label = addLabel(id, text, rect, SS_CENTER | SS_CENTERIMAGE);
    setColors(label, {colours::kGreen, colours::kBlack});
    setFont(label, L"Arial", points, true);
    return label;
}

void Window::putBehind(HWND back, HWND front) {
    for (HWND w : {back, front})
        ::SetWindowLongPtrW(w, GWL_STYLE, ::GetWindowLongPtrW(w, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(back, front, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND Window::addStatusLine(int id, const TwipRect& rect) {
    HWND status = addLabel(id, L"", rect, SS_ENDELLIPSIS | SS_NOTIFY);
    setColors(status, {colours::kDarkRed, ::GetSysColor(COLOR_BTNFACE)});
    statusLine_ = id;
    return status;
}

void Window::showStatus(int id, const std::wstring& text) {
    setControlText(id, text);
    setTooltip(control(id), text);
}

void Window::showFailure(HWND clicked, const std::wstring& text) {
    if (statusLine_)
        showStatus(statusLine_, text);
    else
        setTooltip(clicked, text);
}

void Window::setColors(HWND control, ControlColors colors) {
    Painted& p = painted_[control];
    if (!p.brush || p.colors.background != colors.background)
        p.brush.reset(::CreateSolidBrush(colors.background));
    p.colors = colors;
    ::InvalidateRect(control, nullptr, TRUE);
}

const ControlColors* Window::colorsOf(HWND control) const {
    auto it = painted_.find(control);
    return it == painted_.end() ? nullptr : &it->second.colors;
}

LRESULT Window::onCtlColor(UINT msg, HDC dc, HWND control) {
    auto it = painted_.find(control);
    // Windows' own colours otherwise: an editable box on the window colour, a read-only or
    // disabled one (which asks as a static) on the dialog's.
    if (it == painted_.end())
        return ::DefWindowProcW(hwnd_, msg, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(control));
    ::SetTextColor(dc, it->second.colors.text);
    ::SetBkColor(dc, it->second.colors.background);
    return reinterpret_cast<LRESULT>(it->second.brush.get());
}

HFONT Window::fontFor(const wchar_t* face, double points, bool bold) {
    LOGFONTW lf = {};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi_ / 72.0));
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    std::wstring_view(face).substr(0, LF_FACESIZE - 1).copy(lf.lfFaceName, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&lf);
}

void Window::setFont(HWND control, const wchar_t* face, double points, bool bold) {
    auto wanted = std::make_unique<FontSpec>(FontSpec{face, points, bold, {}});
    wanted->font.reset(fontFor(face, points, bold));
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(wanted->font.get()), TRUE);
    fonts_[control] = std::move(wanted);  // the old font is freed after the control let go of it
}

void Window::setTooltip(HWND control, const std::wstring& text) {
    if (!tooltipWindow_) {
        tooltipWindow_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
        // Wide enough for a path; longer texts wrap, and "\r\n" starts a new line.
        ::SendMessageW(tooltipWindow_, TTM_SETMAXTIPWIDTH, 0, 480);
        ::SendMessageW(tooltipWindow_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    }
    TTTOOLINFOW info = {sizeof(info)};
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    TTTOOLINFOW probe = info;
    probe.lpszText = nullptr;
    if (!::SendMessageW(tooltipWindow_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)))
        ::SendMessageW(tooltipWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    else
        ::SendMessageW(tooltipWindow_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring Window::tooltip(HWND control) const {
    if (!tooltipWindow_) return {};
    std::wstring buffer(4096, L'\0');
    TTTOOLINFOW info = {sizeof(info)};
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer.data();
    ::SendMessageW(tooltipWindow_, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
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
    for (auto& [control, wanted] : fonts_) {
        platform::UniqueFont font(fontFor(wanted->face.c_str(), wanted->points, wanted->bold));
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        wanted->font = std::move(font);
    }
}

// ---- Modal showing and the message loop -----------------------------------------------------

namespace {
// The objects this thread's message loops wait on besides their messages.
thread_local std::vector<HandleWait*> waits;
constexpr size_t kMaxWaits = MAXIMUM_WAIT_OBJECTS - 1;  // one slot is the message queue's

// Waits for a message or a signalled object, running the object's wait; GetMessageW's result.
BOOL nextMessage(MSG& msg) {
    for (;;) {
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return msg.message == WM_QUIT ? 0 : 1;
        const std::vector<HANDLE> handles = HandleWait::handles();
        const DWORD waited =
            ::MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                          INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (waited == WAIT_FAILED) return -1;
        HandleWait::runSignalled(waited);
    }
}
}  // namespace

std::vector<HANDLE> HandleWait::handles() {
    std::vector<HANDLE> handles;
    for (const HandleWait* w : waits) handles.push_back(w->handle_);
    return handles;
}

bool HandleWait::runSignalled(DWORD waited) {
    if (waited < WAIT_OBJECT_0 || waited >= WAIT_OBJECT_0 + waits.size()) return false;
    HandleWait* signalled = waits[waited - WAIT_OBJECT_0];
    // It runs once, and may end other waits (or its own) as it runs.
    std::erase(waits, signalled);
    signalled->watched_ = false;
    std::function<void()> run = signalled->onSignal_;
    run();
    return true;
}

HandleWait::HandleWait(HANDLE handle, std::function<void()> onSignal)
    : handle_(handle), onSignal_(std::move(onSignal)) {
    if (handle_ && waits.size() < kMaxWaits) {
        waits.push_back(this);
        watched_ = true;
    }
}

HandleWait::~HandleWait() { std::erase(waits, this); }

void showModal(Window& window, HWND owner) {
    if (!window.hwnd()) return;
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(window.hwnd(), SW_SHOW);
    // The keyboard starts at the first control in the tab order, as in a dialog.
    if (HWND first = ::GetNextDlgTabItem(window.hwnd(), nullptr, FALSE)) ::SetFocus(first);
    int quitCode = -1;
    MSG msg;
    while (window.isOpen()) {
        BOOL got = nextMessage(msg);
        if (got == 0) {
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (!::IsDialogMessageW(window.hwnd(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // The owner is enabled before the window goes, so activation returns to it and not to
    // another program's window.
    if (owner) ::EnableWindow(owner, TRUE);
    if (window.hwnd()) {
        if (owner) ::SetActiveWindow(owner);
        ::DestroyWindow(window.hwnd());
    }
    if (quitCode != -1) ::PostQuitMessage(quitCode);  // leave the quit for the outer loop
}

int runMessageLoop(Window& main) {
    MSG msg;
    while (main.isOpen()) {
        BOOL got = nextMessage(msg);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) break;
        if (!::IsDialogMessageW(main.hwnd(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return 0;
}

void pumpMessages(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    MSG msg;
    while (std::chrono::steady_clock::now() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const std::vector<HANDLE> handles = HandleWait::handles();
        HandleWait::runSignalled(::MsgWaitForMultipleObjects(
            static_cast<DWORD>(handles.size()), handles.data(), FALSE, 10, QS_ALLINPUT));
    }
}

}  // namespace kovalt::ui
