// BREVLIN_TALVERO_DONATIONS_WINDOW: the maker's five receiving addresses, a thank-you line and
// an appeal whose text flashes through five colours until it is double-clicked. Opened modal
// over the About window, created afresh at every opening.
#pragma once

#include <array>

#include "about/colour_cycle.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::about {

class DonationsWindow final : public ui::Window {
public:
    enum ControlId {
        OK_BUTTON = 801,
        BTC_DONATION_ADDRESS_TEXTBOX,
        NMC_DONATION_ADDRESS_TEXTBOX,
        LTC_DONATION_ADDRESS_TEXTBOX,
        DASH_DONATION_ADDRESS_TEXTBOX,
        VTC_DONATION_ADDRESS_TEXTBOX,
        TLV_TITLE_TEXTBOX,
        TLV_WEBSITE_TEXTBOX,
        CREATOR_TEXTBOX,
        THANKS_DONATIONS_MESSAGE_TEXTBOX,
        BTC_NAME_LABEL,
        NMC_NAME_LABEL,
        LTC_NAME_LABEL,
        DASH_NAME_LABEL,
        VTC_NAME_LABEL,
        THANKS_TALVERO_SOFTWARE_TEXTBOX,
        DOUBLE_CLICK_MESSAGE_TEXTBOX,
    };

    // `owner` is the window it opens over.
    DonationsWindow(const platform::InstanceContext& context, HWND owner);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // DONATION_TEXT_1_TIMER to DONATION_TEXT_5_TIMER, by number.
    ui::Timer& donationTextTimer(int n) { return DONATION_TEXT_TIMERS_[n - 1]; }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void DONATION_TEXT_TIMER_Timer(int n);
    void THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick();
    void DONATION_ADDRESS_TEXTBOX_DblClick(int id);
    void DONATION_ADDRESS_TEXTBOX_LostFocus(int id);
    void CREATOR_TEXTBOX_DblClick();

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    HWND addDisplayBox(int id, const std::wstring& text, const ui::TwipRect& rect,
                       ui::ControlColors colors, DWORD extraStyle = 0);
    void setMessageTextColour(ui::Colour colour);
    // The text colour of the flashing appeal; black while the flashing is stopped.
    ui::Colour messageTextColour() const;

    const platform::InstanceContext& context_;
    HWND owner_;
    std::array<ui::Timer, kCycleTimers> DONATION_TEXT_TIMERS_;
    ColourCycle cycle_;
};

}  // namespace kovalt::about
