// KOVALT_ABOUT: the product's names, the version and the maker's credit, with a donations
// button inside a frame that cycles through five colours. Opened modal over the monitor
// settings window, created afresh at every opening; it opens the donations window.
#pragma once

#include <array>

#include "about/colour_cycle.h"
#include "platform/instance_context.h"
#include "platform/ui/window.h"

namespace kovalt::about {

class AboutWindow final : public ui::Window {
public:
    enum ControlId {
        OK_BUTTON = 701,
        DONATIONS_BUTTON,
        DONATIONS_BACK_TEXTBOX,
        TLV_TITLE_1,
        TLV_TITLE_2,
        TLV_TITLE_3,
        FREEWARE_TEXTBOX,
        VERSION_TEXTBOX,
        CREATOR_TEXTBOX,
    };

    // `owner` is the window it opens over.
    AboutWindow(const platform::InstanceContext& context, HWND owner);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    platform::Result open();

    // DONATION_BUTTON_1_TIMER to DONATION_BUTTON_5_TIMER, by number.
    ui::Timer& donationButtonTimer(int n) { return DONATION_BUTTON_TIMERS_[n - 1]; }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void DONATIONS_BUTTON_Click();
    void CREATOR_TEXTBOX_DblClick();
    void DONATION_BUTTON_TIMER_Timer(int n);

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    void setFrameColour(ui::Colour colour);

    const platform::InstanceContext& context_;
    HWND owner_;
    bool donationsOpen_ = false;
    std::array<ui::Timer, kCycleTimers> DONATION_BUTTON_TIMERS_;
    ColourCycle cycle_;
};

}  // namespace kovalt::about
