// The TLS group: three tick boxes "no", "yes", "auto", at most one ticked, with click rules
// that may tick or untick the other boxes, each such change running that box's own rule at
// once, nested. The windows keep their tick boxes in step with this model.
#pragma once

#include <array>
#include <string>

namespace kovalt::email {

enum class TlsBox { No = 0, Yes = 1, Auto = 2 };
enum class TlsState { NoChosen, NoneChosen, YesChosen, AutoChosen, Other };

class TlsGroup {
public:
    // As created: "no" ticked and enabled, the others unticked and disabled, word "no".
    TlsGroup();

    bool ticked(TlsBox box) const { return ticked_[index(box)]; }
    bool enabled(TlsBox box) const { return enabled_[index(box)]; }
    const std::wstring& word() const { return word_; }
    TlsState state() const;

    // A box's state set by a click or by code. Setting the state it already has runs nothing;
    // a change runs the box's rule, which may change the others (nested).
    void set(TlsBox box, bool ticked);
    // The user's click: refused on a disabled box.
    void click(TlsBox box);

    // The three stored states set in the order no, yes, auto on the group as created (0 or 1;
    // other values have been read as the keys' defaults before). Ends in one of the four
    // states with its word: a combination that OK never writes (two or three ticked) settles
    // on the last one stored as ticked.
    void load(int no, int yes, int autoState);
    // Brings this group into the state of another, through its own rules (the copy of the
    // shared settings into an instance).
    void copyFrom(const TlsGroup& source);

private:
    static size_t index(TlsBox box) { return static_cast<size_t>(box); }
    void setEnabled(TlsBox box, bool on) { enabled_[index(box)] = on; }
    void rule(TlsBox box);

    std::array<bool, 3> ticked_{};
    std::array<bool, 3> enabled_{};
    std::wstring word_;
};

}  // namespace kovalt::email
