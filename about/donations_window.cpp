#include "about/donations_window.h"

#include <commctrl.h>

#include "about/maker_values.h"
#include "settings/placement.h"

namespace kovalt::about {

namespace keys = settings::keys;
using ui::TwipRect;

namespace {
using Self = DonationsWindow;
using namespace ui::colours;

// What a double-clicked text box reports: the code of a label's double-click, which no edit
// notification uses.
constexpr int kDoubleClick = STN_DBLCLK;

// The address rows, top to bottom, 600 twips apart.
struct AddressRow {
    int label, box;
    const wchar_t* coin;
    std::wstring_view address;
    float top;
};
constexpr AddressRow kRows[] = {
    {Self::BTC_NAME_LABEL, Self::BTC_DONATION_ADDRESS_TEXTBOX, L"BTC", maker::kBtcAddress, 1560},
    {Self::NMC_NAME_LABEL, Self::NMC_DONATION_ADDRESS_TEXTBOX, L"NMC", maker::kNmcAddress, 2160},
    {Self::LTC_NAME_LABEL, Self::LTC_DONATION_ADDRESS_TEXTBOX, L"LTC", maker::kLtcAddress, 2760},
    {Self::DASH_NAME_LABEL, Self::DASH_DONATION_ADDRESS_TEXTBOX, L"DASH", maker::kDashAddress,
     3360},
    {Self::VTC_NAME_LABEL, Self::VTC_DONATION_ADDRESS_TEXTBOX, L"VTC", maker::kVtcAddress, 3960},
};

bool isAddressBox(int id) {
    return id >= Self::BTC_DONATION_ADDRESS_TEXTBOX && id <= Self::VTC_DONATION_ADDRESS_TEXTBOX;
}

// Edit controls tell nobody of a double-click; this subclass reports it to the window after
// the edit has handled it (selected the word under the mouse).
LRESULT CALLBACK reportDoubleClick(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR subclass,
                                   DWORD_PTR) {
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(edit, &reportDoubleClick, subclass);
    const LRESULT result = ::DefSubclassProc(edit, msg, wp, lp);
    if (msg == WM_LBUTTONDBLCLK)
        ::SendMessageW(::GetParent(edit), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(edit), kDoubleClick),
                       reinterpret_cast<LPARAM>(edit));
    return result;
}
}  // namespace

DonationsWindow::DonationsWindow(const platform::InstanceContext& context, HWND owner)
    : context_(context),
      owner_(owner),
      DONATION_TEXT_TIMERS_{{{*this, [this] { DONATION_TEXT_TIMER_Timer(1); }},
                             {*this, [this] { DONATION_TEXT_TIMER_Timer(2); }},
                             {*this, [this] { DONATION_TEXT_TIMER_Timer(3); }},
                             {*this, [this] { DONATION_TEXT_TIMER_Timer(4); }},
                             {*this, [this] { DONATION_TEXT_TIMER_Timer(5); }}}},
      cycle_([this](int n, bool on) { donationTextTimer(n).setEnabled(on); }) {}

platform::Result DonationsWindow::open() {
    const platform::Result created =
        create(L"BREVLIN_TALVERO_DONATIONS_WINDOW", WS_CAPTION | WS_SYSMENU | WS_BORDER,
               WS_EX_CONTROLPARENT, L"!!! DONATIONS ALWAYS APPRECIATED - Brevlin - Talvero !!! :)",
               owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    cycle_.restart();  // timer 1 on from creation; silent until the load sets the intervals
    Form_Load();
    return {};
}

HWND DonationsWindow::addDisplayBox(int id, const std::wstring& text, const TwipRect& rect,
                                    ui::ControlColors colors, DWORD extraStyle) {
    HWND box = addTextBox(id, text, rect, ES_READONLY | extraStyle);
    setColors(box, colors);
    return box;
}

void DonationsWindow::createControls() {
    const ui::ControlColors greenOnBlack{kGreen, kBlack};
    const ui::ControlColors blackOnYellow{kBlack, kPaleYellow};
    // Focusable controls first, in their tab order: the keyboard starts on OK, then the
    // addresses the user may want to copy.
    addButton(OK_BUTTON, L"OK", {3480, 5160, 1815, 495}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    for (const AddressRow& row : kRows) {
        HWND box = addDisplayBox(row.box, std::wstring(row.address), {2640, row.top, 5895, 375},
                                 blackOnYellow, ES_CENTER);
        setFont(box, L"Courier New", 10, true);
        ::SetWindowSubclass(box, &reportDoubleClick, 0, 0);
    }

    HWND title = addDisplayBox(TLV_TITLE_TEXTBOX, L"TALVERO\r\n SOFTWARE", {240, 120, 2295, 615},
                               greenOnBlack, ES_MULTILINE | ES_CENTER);
    setFont(title, L"Arial", 11, true);
    HWND website = addDisplayBox(TLV_WEBSITE_TEXTBOX, std::wstring(maker::kWebsite),
                                 {2640, 240, 5895, 375}, greenOnBlack, ES_CENTER);
    setFont(website, L"Arial", 10, true);
    HWND creator = addDisplayBox(CREATOR_TEXTBOX, L"Created By Brevlin", {240, 840, 2295, 375},
                                 greenOnBlack, ES_CENTER);
    setFont(creator, L"Arial", 9, true);
    ::SetWindowSubclass(creator, &reportDoubleClick, 0, 0);
    HWND message =
        addDisplayBox(THANKS_DONATIONS_MESSAGE_TEXTBOX, L"!!! DONATIONS ALWAYS APPRECIATED !!!",
                      {2640, 840, 5895, 375}, {kBlack, kLightGreen}, ES_CENTER);
    setFont(message, L"Arial", 10, true);
    setTooltip(message, L"!!! DOUBLE-CLICK TO STOP / START FLASHING TEXT !!!");
    ::SetWindowSubclass(message, &reportDoubleClick, 0, 0);

    for (const AddressRow& row : kRows) {
        HWND label =
            addLabel(row.label, row.coin, {240, row.top, 2295, 375}, SS_CENTER | SS_CENTERIMAGE);
        setColors(label, blackOnYellow);
        setFont(label, L"Arial", 10, true);
    }
    HWND thanks =
        addDisplayBox(THANKS_TALVERO_SOFTWARE_TEXTBOX, L"Thanks for using Talvero Software !!! :)",
                      {240, 4560, 8295, 375}, greenOnBlack, ES_CENTER);
    setFont(thanks, L"Arial", 10, true);
    // Below the visible area at the window's default height, as it always was.
    addDisplayBox(DOUBLE_CLICK_MESSAGE_TEXTBOX,
                  L"!!! DOUBLE-CLICK AN ADDRESS TO COPY TO CLIPBOARD !!!", {240, 6600, 8295, 375},
                  {kMagenta, kLightCyan}, ES_CENTER);
}

void DonationsWindow::Form_Load() {
    applyPlacement(settings::readPlacement(context_.settings(), keys::kDonationsPlacement));
    for (ui::Timer& timer : DONATION_TEXT_TIMERS_) timer.setInterval(kCycleIntervalMs);
}

void DonationsWindow::Form_Unload() {
    context_.savePositionAtClose(*this, keys::kDonationsPlacement,
                                 L"Where the donations window is");
}

void DonationsWindow::OK_BUTTON_Click() {
    context_.savePosition(*this, keys::kDonationsPlacement);
    close();  // the close stores the position again, and tells when it cannot
}

void DonationsWindow::DONATION_TEXT_TIMER_Timer(int n) { setMessageTextColour(cycle_.tick(n)); }

void DonationsWindow::THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick() {
    // The text colour is the state: no colour of the cycle is black, so black means stopped
    // (or not yet ticked, when timer 1 already runs and enabling it again changes nothing).
    if (messageTextColour() != kBlack) {
        cycle_.stop();
        setMessageTextColour(kBlack);
    } else {
        cycle_.restart();
    }
}

void DonationsWindow::DONATION_ADDRESS_TEXTBOX_DblClick(int id) {
    // The whole address, not the word under the pointer: addresses may hold hyphens.
    ::SendMessageW(control(id), EM_SETSEL, 0, -1);
    setColors(control(id), {kBlack, kLightPink});
}

void DonationsWindow::DONATION_ADDRESS_TEXTBOX_LostFocus(int id) {
    setColors(control(id), {kBlack, kPaleYellow});
}

void DonationsWindow::CREATOR_TEXTBOX_DblClick() {
    setControlText(CREATOR_TEXTBOX, std::wstring(maker::kContactEmail));
}

void DonationsWindow::setMessageTextColour(ui::Colour colour) {
    setColors(control(THANKS_DONATIONS_MESSAGE_TEXTBOX), {colour, kLightGreen});
}

ui::Colour DonationsWindow::messageTextColour() const {
    const ui::ControlColors* colors = colorsOf(control(THANKS_DONATIONS_MESSAGE_TEXTBOX));
    return colors ? colors->text : kBlack;
}

void DonationsWindow::onCommand(int id, int code, HWND) {
    if (isAddressBox(id)) {
        if (code == kDoubleClick) DONATION_ADDRESS_TEXTBOX_DblClick(id);
        if (code == EN_KILLFOCUS) DONATION_ADDRESS_TEXTBOX_LostFocus(id);
        return;
    }
    if (code == kDoubleClick) {
        if (id == THANKS_DONATIONS_MESSAGE_TEXTBOX) THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick();
        if (id == CREATOR_TEXTBOX) CREATOR_TEXTBOX_DblClick();
        return;
    }
    if (id == OK_BUTTON && code == BN_CLICKED) OK_BUTTON_Click();
}

}  // namespace kovalt::about
