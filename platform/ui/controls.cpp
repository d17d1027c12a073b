#include "platform/ui/window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace kovalt::ui {

namespace {
constexpr const wchar_t* kDefaultFace = L"Tahoma";
constexpr double kDefaultPoints = 8.0;

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
}  // namespace

std::wstring Window::controlText(HWND control) {
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
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
                   reinterpret_cast<LPARAM>(programIcon(iconResource, 16)));
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

LRESULT Window::onNotify(WPARAM wp, LPARAM lp) {
    const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lp);
    if (draw->hdr.code == NM_CUSTOMDRAW && draw->dwDrawStage == CDDS_PREPAINT &&
        isMultiLineButton(draw->hdr.hwndFrom))
        return drawWrappedLabel(*draw);
    return ::DefWindowProcW(hwnd_, WM_NOTIFY, wp, lp);
}

HFONT Window::fontFor(const FontKey& key) {
    platform::UniqueFont& font = fonts_[key];
    if (!font) {
        LOGFONTW lf = {};
        lf.lfHeight = -static_cast<LONG>(std::lround(key.points * dpi_ / 72.0));
        lf.lfWeight = key.bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        std::wstring_view(key.face).substr(0, LF_FACESIZE - 1).copy(lf.lfFaceName, LF_FACESIZE - 1);
        font.reset(::CreateFontIndirectW(&lf));
    }
    return font.get();
}

void Window::setFont(HWND control, const wchar_t* face, double points, bool bold) {
    FontKey key{face, points, bold};
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(key)), TRUE);
    fontOf_[control] = std::move(key);
}

void Window::refreshFonts() {
    // The fonts of the old DPI are freed once every control has let go of them, and only the
    // ones some control still uses are made again.
    const std::map<FontKey, platform::UniqueFont> old = std::exchange(fonts_, {});
    for (const auto& [control, key] : fontOf_)
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(key)), TRUE);
}

void Window::setTooltip(HWND control, const std::wstring& text) {
    if (!tooltipWindow_) {
        // Owned by no window: Wine keeps a window under its own topmost popups out of the top
        // band, and the strip must be able to go there. It goes with this object instead.
        tooltipWindow_.reset(::CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
            ::GetModuleHandleW(nullptr), nullptr));
        // Wide enough for a path; longer texts wrap, and "\r\n" starts a new line.
        ::SendMessageW(tooltipWindow_.get(), TTM_SETMAXTIPWIDTH, 0, 480);
        ::SendMessageW(tooltipWindow_.get(), TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    }
    TTTOOLINFOW info = {sizeof(info)};
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    TTTOOLINFOW probe = info;
    probe.lpszText = nullptr;
    if (!::SendMessageW(tooltipWindow_.get(), TTM_GETTOOLINFOW, 0,
                        reinterpret_cast<LPARAM>(&probe)))
        ::SendMessageW(tooltipWindow_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    else
        ::SendMessageW(tooltipWindow_.get(), TTM_UPDATETIPTEXTW, 0,
                       reinterpret_cast<LPARAM>(&info));
}

std::wstring Window::tooltip(HWND control) const {
    if (!tooltipWindow_) return {};
    std::wstring buffer(4096, L'\0');
    TTTOOLINFOW info = {sizeof(info)};
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer.data();
    ::SendMessageW(tooltipWindow_.get(), TTM_GETTEXTW, buffer.size(),
                   reinterpret_cast<LPARAM>(&info));
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
}

}  // namespace kovalt::ui
