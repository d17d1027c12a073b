// KOVALT_ABOUT: the product's names, the version and the maker's credit, with a donations
// button inside a frame that cycles through five colours. Opened modal over the monitor
// settings window, created afresh at every opening; it opens the donations window.
#pragma once

#include <array>

#include "about/colour_cycle.h"
#include "platform/ui/window.h"

namespace kovalt::monitor {
class MainWindow;
}

namespace kovalt::about {

class DonationsWindow;

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

    // `main` gives the instance's settings; `owner` is the window it opens over.
    AboutWindow(monitor::MainWindow& main, HWND owner);

    // Creates the window (hidden) and runs its load; showModal() shows it.
    bool open();

    // The background of the frame around the donations button.
    COLORREF frameColour() const;
    // DONATION_BUTTON_1_TIMER to DONATION_BUTTON_5_TIMER, by number.
    ui::Timer& donationButtonTimer(int n) { return DONATION_BUTTON_TIMERS_[n - 1]; }
    // The donations window while it is open over this one, else null.
    DonationsWindow* openDonationsWindow() const { return donationsWindow_; }

    // Event handlers.
    void Form_Load();
    void Form_Unload() { savePosition(); }
    void OK_BUTTON_Click();
    void DONATIONS_BUTTON_Click();
    void CREATOR_TEXTBOX_DblClick();
    void DONATION_BUTTON_TIMER_Timer(int n);

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    void savePosition();
    void setFrameColour(COLORREF colour);

    monitor::MainWindow& main_;
    HWND owner_;
    DonationsWindow* donationsWindow_ = nullptr;
    std::array<ui::Timer, kCycleTimers> DONATION_BUTTON_TIMERS_;
    ColourCycle cycle_;
};

}  // namespace kovalt::about
