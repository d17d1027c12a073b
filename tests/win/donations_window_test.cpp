#include "about/donations_window.h"
#include "win_test_support.h"

using namespace kovalt;
using about::DonationsWindow;
using DonationsWindowTest = test::Instance;

TEST_F(DonationsWindowTest, ADoubleClickSelectsTheWholeAddressAndMarksItUntilLeft) {
    auto w = test::opened<DonationsWindow>(context, openMain().hwnd());
    const int box = DonationsWindow::LTC_DONATION_ADDRESS_TEXTBOX;
    HWND address = w->control(box);
    ::SetFocus(address);
    ::SendMessageW(address, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 5));
    DWORD from = 1, to = 0;
    ::SendMessageW(address, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(std::pair(from, to), std::pair(DWORD{0}, DWORD(w->controlText(box).size())));
    const auto marked = [&] {
        ui::pumpMessages(50ms);
        return ui::WindowTestAccess::colours(*w, box).background != ui::colours::kPaleYellow;
    };
    ::SetFocus(nullptr);  // as when the user switches to another program to paste it
    EXPECT_TRUE(marked());
    ::SetFocus(address);  // back, the focus where it was; then on to another control
    ::SetFocus(w->control(DonationsWindow::OK_BUTTON));
    EXPECT_FALSE(marked());
}
