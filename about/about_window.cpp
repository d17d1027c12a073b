#include "about/about_window.h"

#include "about/donations_window.h"
#include "about/maker_values.h"
#include "settings/placement.h"

namespace kovalt::about {

namespace keys = settings::keys;

AboutWindow::AboutWindow(const platform::InstanceContext& context, HWND owner)
    : context_(context),
      owner_(owner),
      DONATION_BUTTON_TIMERS_{{{*this, [this] { DONATION_BUTTON_TIMER_Timer(1); }},
                               {*this, [this] { DONATION_BUTTON_TIMER_Timer(2); }},
                               {*this, [this] { DONATION_BUTTON_TIMER_Timer(3); }},
                               {*this, [this] { DONATION_BUTTON_TIMER_Timer(4); }},
                               {*this, [this] { DONATION_BUTTON_TIMER_Timer(5); }}}},
      cycle_([this](int n, bool on) { donationButtonTimer(n).setEnabled(on); }) {}

platform::Result AboutWindow::open() {
    const platform::Result created =
        create(L"KOVALT_ABOUT", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
               L"KOV-ALT - ABOUT", owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    cycle_.restart();  // timer 1 on from creation; silent until the load sets the intervals
    Form_Load();
    return {};
}

void AboutWindow::createControls() {
    // Focusable controls first, in their tab order: the keyboard starts on OK.
    addButton(OK_BUTTON, L"OK", {4935, 1320, 2760, 495}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    // The coloured box lies behind the button and shows as a frame 120 twips wide around it.
    HWND back = addLabel(DONATIONS_BACK_TEXTBOX, L"", {240, 1200, 4575, 735});
    HWND donations = addButton(DONATIONS_BUTTON, L"!!! DONATIONS ALWAYS APPRECIATED !!!",
                               {360, 1320, 4335, 495});
    setFont(donations, L"Tahoma", 8, true);
    putBehind(back, donations);
    // A text box's own background until the first tick.
    setColors(back, {::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW)});

    addHeading(TLV_TITLE_1, L"TALVERO", {240, 120, 1695, 375});
    addHeading(TLV_TITLE_2, L"KOV-ALT", {2040, 120, 1695, 375});
    addHeading(TLV_TITLE_3, L"KVA", {3840, 120, 975, 375});
    addHeading(FREEWARE_TEXTBOX, L"!!! FREEWARE !!!", {240, 600, 4575, 375});
    addHeading(VERSION_TEXTBOX, L"Version 1.0", {4935, 120, 2760, 375}, 10);
    HWND creator = addHeading(CREATOR_TEXTBOX, L"Created By Brevlin", {4935, 600, 2760, 375}, 10);
    // Only a label with SS_NOTIFY reports double-clicks (STN_DBLCLK).
    ::SetWindowLongPtrW(creator, GWL_STYLE, ::GetWindowLongPtrW(creator, GWL_STYLE) | SS_NOTIFY);
}

void AboutWindow::Form_Load() {
    applyPlacement(settings::readPlacement(context_.settings(), keys::kAboutPlacement));
    for (ui::Timer& timer : DONATION_BUTTON_TIMERS_) timer.setInterval(kCycleIntervalMs);
}

void AboutWindow::Form_Unload() {
    context_.savePositionAtClose(*this, keys::kAboutPlacement, L"Where the About window is");
}

void AboutWindow::OK_BUTTON_Click() {
    context_.savePosition(*this, keys::kAboutPlacement);
    close();  // the close stores the position again, and tells when it cannot
}

void AboutWindow::DONATIONS_BUTTON_Click() {
    if (donationsOpen_) return;
    // Created afresh at each opening; this window's own cycle keeps ticking meanwhile.
    DonationsWindow window(context_, hwnd());
    donationsOpen_ = true;
    openModal(window, DONATIONS_BUTTON, L"The donations window");
    donationsOpen_ = false;
}

void AboutWindow::CREATOR_TEXTBOX_DblClick() {
    setControlText(CREATOR_TEXTBOX, std::wstring(maker::kContactEmail));
}

void AboutWindow::DONATION_BUTTON_TIMER_Timer(int n) { setFrameColour(cycle_.tick(n)); }

void AboutWindow::setFrameColour(ui::Colour colour) {
    setColors(control(DONATIONS_BACK_TEXTBOX), {colour, colour});
}

void AboutWindow::onCommand(int id, int code, HWND) {
    if (id == CREATOR_TEXTBOX) {
        if (code == STN_DBLCLK) CREATOR_TEXTBOX_DblClick();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case DONATIONS_BUTTON: DONATIONS_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::about
