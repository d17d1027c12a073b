#include "email/tls_group.h"

namespace kovalt::email {

TlsGroup::TlsGroup() : ticked_{true, false, false}, enabled_{true, false, false}, word_(L"no") {}

TlsState TlsGroup::state() const {
    const auto [no, yes, autoOn] = ticked_;
    const auto [noOn, yesOn, autoEnabled] = enabled_;
    if (no && !yes && !autoOn && noOn && !yesOn && !autoEnabled) return TlsState::NoChosen;
    if (!no && !yes && !autoOn && noOn && yesOn && autoEnabled) return TlsState::NoneChosen;
    if (!no && yes && !autoOn && !noOn && yesOn && !autoEnabled) return TlsState::YesChosen;
    if (!no && !yes && autoOn && !noOn && !yesOn && autoEnabled) return TlsState::AutoChosen;
    return TlsState::Other;
}

void TlsGroup::set(TlsBox box, bool on) {
    if (ticked_[index(box)] == on) return;
    ticked_[index(box)] = on;
    rule(box);
}

void TlsGroup::click(TlsBox box) {
    if (enabled(box)) set(box, !ticked(box));
}

// Each rule sets the word, then the other two boxes in the order given, each its state first
// (which may run that box's rule, nested) and then its enabled flag.
void TlsGroup::rule(TlsBox box) {
    const bool on = ticked(box);
    auto other = [this](TlsBox b, bool state, bool enable) {
        set(b, state);
        setEnabled(b, enable);
    };
    switch (box) {
        case TlsBox::No:
            word_ = L"no";
            other(TlsBox::Yes, false, !on);
            other(TlsBox::Auto, false, !on);
            break;
        case TlsBox::Yes:
            word_ = on ? L"yes" : L"no";
            other(TlsBox::No, !on, !on);
            other(TlsBox::Auto, false, false);
            break;
        case TlsBox::Auto:
            word_ = on ? L"auto" : L"no";
            other(TlsBox::No, !on, !on);
            other(TlsBox::Yes, false, false);
            break;
    }
}

void TlsGroup::load(int no, int yes, int autoState) {
    // Loading starts from the group as created, whatever it showed before.
    *this = TlsGroup();
    const int ticked = (no == 1) + (yes == 1) + (autoState == 1);
    if (ticked <= 1) {
        // One of the four states OK writes: the boxes are set in order and their rules run.
        set(TlsBox::No, no == 1);
        set(TlsBox::Yes, yes == 1);
        set(TlsBox::Auto, autoState == 1);
        return;
    }
    // Two or three stored as ticked, which OK never writes: the rules alone would leave a
    // choice nobody made, so the last box stored as ticked is chosen.
    set(TlsBox::No, false);
    set(autoState == 1 ? TlsBox::Auto : TlsBox::Yes, true);
}

void TlsGroup::copyFrom(const TlsGroup& source) {
    // From any state a click can reach, unticking what is ticked leads to "no chosen"; from
    // there the source's choice is reached the way the user would click it. A mix that only
    // code could have set starts again from the group as created.
    if (state() == TlsState::Other) *this = TlsGroup();
    set(TlsBox::Yes, false);
    set(TlsBox::Auto, false);
    set(TlsBox::No, true);
    switch (source.state()) {
        case TlsState::NoneChosen: set(TlsBox::No, false); break;
        case TlsState::YesChosen:
            set(TlsBox::No, false);
            set(TlsBox::Yes, true);
            break;
        case TlsState::AutoChosen:
            set(TlsBox::No, false);
            set(TlsBox::Auto, true);
            break;
        case TlsState::NoChosen:
        case TlsState::Other: break;
    }
}

}  // namespace kovalt::email
