#include "platform/ui/window.h"

namespace kovalt::ui {

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

LRESULT Window::defaultButtonId() const {
    // As in a dialog, a push button with the focus is the default one while it has it: Enter
    // presses the button the user sees focused, never the OK behind it.
    HWND focus = ::GetFocus();
    if (focus && ::GetParent(focus) == hwnd_ &&
        (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
    return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
}

bool Window::onActivate(WPARAM wp) {
    // As in a dialog, the control that had the focus gets it back when the user returns from
    // another program or a window opened over this one.
    if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
    } else if (!HIWORD(wp) && lastFocus_ && ::IsChild(hwnd_, lastFocus_)) {
        ::SetFocus(lastFocus_);
        return true;
    }
    return false;
}

void Window::onFocusLeft(int id, HWND box) {
    // Losing focus is the focus moving to another control of this program; switching to
    // another program leaves this thread without a focus, and is not that.
    HWND focus = ::GetFocus();
    if (focus && focus != box) onCommand(id, EN_KILLFOCUS, box);
}

}  // namespace kovalt::ui
