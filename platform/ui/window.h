// The thin window layer: a window object behind each HWND, controls placed in twips and
// scaled by the window's DPI, colours for labels, tooltips, timers that behave as the windows
// expect (timer.h), and modal showing over an owner whose timers keep ticking
// (message_loop.h). The window's parts are in window.cpp (messages, life and placement),
// controls.cpp and dialog_keys.cpp.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/ui/colour.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/timer.h"
#include "platform/ui/twips.h"
#include "platform/win_handles.h"

namespace kovalt::ui {

struct ControlColors {
    Colour text;
    Colour background;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    UINT dpi() const;

    // Position and size of the outer window in twips at its DPI, as the store keeps them. A
    // coordinate the window still has from applyPlacement() reads back as the twips it was
    // given, so opening and closing a window stores the same numbers again.
    TwipRect placementTwips() const;
    // Places the window (outer rectangle, twips); a place off every monitor is brought back.
    void applyPlacement(const TwipRect& twips);

    std::wstring text() const { return controlText(hwnd_); }
    void setText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }

    // Closing the window runs onClose() first; the modal loop or the program ends after it.
    bool isOpen() const { return hwnd_ != nullptr && !closed_; }
    void close() { ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

    HWND control(int id) const { return ::GetDlgItem(hwnd_, id); }
    static std::wstring controlText(HWND control);
    std::wstring controlText(int id) const { return controlText(control(id)); }
    // Sets a control's text; a text box whose text changes reports the change (EN_CHANGE) as
    // typing would. Setting the text it already has does nothing.
    void setControlText(int id, const std::wstring& text);
    // A tick box's value, 0 or 1. Setting a new value runs its click handler at once, nested,
    // as the user's click would; setting the value it has runs nothing.
    int tickValue(int id) const;
    void setTickValue(int id, int value);

protected:
    // Creates the window of the given class hidden, at a default place, showing the program's
    // icon; its controls follow from the subclass. The system's error when it cannot.
    platform::Result create(const wchar_t* className, DWORD style, DWORD exStyle,
                            const std::wstring& caption, HWND owner, int iconResource);

    // Control helpers: rectangles in twips of the client area.
    HWND addControl(const wchar_t* cls, int id, const std::wstring& text, DWORD style,
                    const TwipRect& rect, DWORD exStyle = 0);
    HWND addLabel(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle = 0);
    HWND addButton(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle = 0);
    HWND addTextBox(int id, const std::wstring& text, const TwipRect& rect, DWORD extraStyle = 0);
    // An automatic tick box turns itself on and off when clicked; a manual one reports the click
    // and leaves its state to the window.
    HWND addTickBox(int id, const std::wstring& text, const TwipRect& rect, bool automatic = true);
    HWND addLine(int id, const TwipRect& rect);
    // A button showing one of the program's icons (16 by 16).
    HWND addPictureButton(int id, int iconResource, const TwipRect& rect);
    // The windows' title labels: bold green text on black.
    HWND addHeading(int id, const std::wstring& text, const TwipRect& rect, double points = 12);
    // Puts `back` right behind `front` so that, being larger, it shows as a frame around it.
    void putBehind(HWND back, HWND front);
    // A line of plain words about what just failed, dark red; its tooltip holds the whole
    // text when the line is too short for it.
    HWND addStatusLine(int id, const TwipRect& rect);
    void showStatus(int id, const std::wstring& text);
    // What failed after a click on `clicked`: on the window's status line, or, in a window
    // without one, on the tooltip of the control that was clicked.
    void showFailure(HWND clicked, const std::wstring& text);
    // Opens `window` (its load runs) modal over this one and returns when it has closed; or
    // says why `what` could not open, as showFailure does for the button that opens it.
    template <typename W>
    void openModal(W& window, int button, const wchar_t* what) {
        if (const platform::Result opened = window.open(); !opened.ok())
            showFailure(control(button),
                        std::wstring(what) + L" could not open: " + platform::describe(opened));
        else
            showModal(window, hwnd());
    }
    // Enter presses the default button (or the push button with the focus) and Esc the cancel
    // button, as in a dialog.
    void setDefaultButton(int id) { defaultButton_ = id; }
    void setCancelButton(int id) { cancelButton_ = id; }

    void setColors(HWND control, ControlColors colors);
    // What a control is painted with, or nothing when it has the system's colours.
    const ControlColors* colorsOf(HWND control) const;
    // A font given in points (8.25 for the usual bold Arial), recreated at each DPI. Controls
    // given the same face, size and weight share one font.
    void setFont(HWND control, const wchar_t* face, double points, bool bold);
    // A tooltip for a control; empty text shows none.
    void setTooltip(HWND control, const std::wstring& text);
    std::wstring tooltip(HWND control) const;

    // Per-message hooks. Return true when handled, with the result in `result`.
    virtual bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // EN_KILLFOCUS comes only when the focus has moved to another control of this program.
    virtual void onCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    // The close event: save what must be saved. The window is destroyed after it.
    virtual void onClose() {}

private:
    friend class Timer;
    friend struct WindowTestAccess;  // the tests' view of colours and tooltips (tests/win)
    // Posted when the focus has left a text box, to look at where it went once it is there.
    static constexpr UINT kFocusLeft = WM_APP + 1;

    // No exception leaves it: one that reaches it is answered as an unhandled message.
    static LRESULT CALLBACK thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    void onDpiChanged(UINT dpi, const RECT* suggested);
    void relayout();
    static HICON programIcon(int resource, int size);

    // Dialog keys and the focus (dialog_keys.cpp).
    void onCommandMessage(int id, int code, HWND control);
    LRESULT defaultButtonId() const;
    bool onActivate(WPARAM wp);
    void onFocusLeft(int id, HWND box);

    // Painting and fonts of the controls (controls.cpp).
    LRESULT onCtlColor(UINT msg, HDC dc, HWND control);
    LRESULT onNotify(WPARAM wp, LPARAM lp);
    struct FontKey {
        std::wstring face;
        double points;
        bool bold;
        auto operator<=>(const FontKey&) const = default;
    };
    HFONT fontFor(const FontKey& key);
    void refreshFonts();

    struct Placed {
        HWND hwnd;
        TwipRect rect;
    };
    struct Painted {
        ControlColors colors;
        platform::UniqueBrush brush;
    };

    HWND hwnd_ = nullptr;
    bool closed_ = false;
    UINT dpi_ = 96;
    platform::UniqueWindow tooltipWindow_;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window was left
    TwipRect placedTwips_;
    RECT placedPixels_ = {};
    std::vector<Placed> placed_;
    // One font for each face, size and weight at the window's DPI, shared by the controls;
    // what each control asked for says which to give it again when the DPI changes.
    std::map<FontKey, platform::UniqueFont> fonts_;
    std::map<HWND, FontKey> fontOf_;
    std::map<HWND, Painted> painted_;
    std::map<UINT_PTR, Timer*> timers_;
    UINT_PTR nextTimerId_ = 1;
    int defaultButton_ = 0;
    int cancelButton_ = 0;
    int statusLine_ = 0;
};

}  // namespace kovalt::ui
