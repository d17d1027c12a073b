// Whatever the user clicks and whatever the store holds, a window's TLS group shows one of its
// four states with the word that goes with it, and state() tells apart what the boxes show.
// Input: one operation per byte on one of three groups (bits 2-3, % 3): bits 0-1 choose click,
// set by code, load or copy; bits 4-5 are the box (% 3) with bit 6 its new state, or bits 4-6
// the three stored states, or bits 4-5 the group copied from (% 3). Sets by code may leave any mix
// of ticks; loads and copies must still end in a valid state from there, and clicks must keep a
// valid state valid. The unit tests replay it over many seeded runs (fuzzTlsGroup).
#include <array>
#include <cstdint>
#include <tuple>

#include "email/tls_group.h"
#include "fuzz/fuzz_input.h"

using namespace kovalt::email;
using kovalt::fuzz::check;

namespace {
const wchar_t* wordOf(TlsState state) {
    return state == TlsState::YesChosen ? L"yes" : state == TlsState::AutoChosen ? L"auto" : L"no";
}

// What the boxes show: ticked no, yes, auto, then enabled no, yes, auto.
using Look = std::array<bool, 6>;
Look look(const TlsGroup& g) {
    Look l{};
    for (size_t i = 0; i < 3; ++i) {
        l[i] = g.ticked(static_cast<TlsBox>(i));
        l[3 + i] = g.enabled(static_cast<TlsBox>(i));
    }
    return l;
}

// The state those boxes are: one of the four looks, else a mix.
TlsState shown(const TlsGroup& g) {
    constexpr std::pair<Look, TlsState> kLooks[] = {{{1, 0, 0, 1, 0, 0}, TlsState::NoChosen},
                                                    {{0, 0, 0, 1, 1, 1}, TlsState::NoneChosen},
                                                    {{0, 1, 0, 0, 1, 0}, TlsState::YesChosen},
                                                    {{0, 0, 1, 0, 0, 1}, TlsState::AutoChosen}};
    for (const auto& [l, state] : kLooks)
        if (l == look(g)) return state;
    return TlsState::Other;
}

void checkValid(const TlsGroup& g, const char* what) {
    check(g.state() != TlsState::Other, what);
    check(g.word() == wordOf(g.state()), what);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TlsGroup groups[3];
    for (size_t i = 0; i < size; ++i) {
        const unsigned op = data[i] & 3, args = data[i] >> 4;
        TlsGroup& g = groups[(data[i] >> 2 & 3) % 3];
        const TlsBox box = static_cast<TlsBox>((args & 3) % 3);
        if (op == 0) {
            const bool wasValid = g.state() != TlsState::Other;
            const auto before = std::tuple(look(g), g.word());
            const bool enabled = g.enabled(box);
            g.click(box);
            check(enabled || std::tuple(look(g), g.word()) == before,
                  "a click on a disabled box changed the group");
            if (wasValid) checkValid(g, "a click left a valid group invalid");
        } else if (op == 1) {
            g.set(box, args & 4);
        } else if (op == 2) {
            const int no = args & 1, yes = args >> 1 & 1, autoState = args >> 2 & 1;
            g.load(no, yes, autoState);
            checkValid(g, "a load ended in an invalid state");
            // What OK writes reads back as written; other mixes settle on the last one ticked.
            const TlsState expected = autoState ? TlsState::AutoChosen
                                      : yes     ? TlsState::YesChosen
                                      : no      ? TlsState::NoChosen
                                                : TlsState::NoneChosen;
            check(g.state() == expected, "a load ended in another state than stored");
        } else {
            const TlsGroup source = groups[(args & 3) % 3];
            g.copyFrom(source);
            checkValid(g, "a copy ended in an invalid state");
            if (source.state() != TlsState::Other)
                check(g.state() == source.state(), "a copy reached another state than its source");
        }
        check(g.state() == shown(g), "state() differs from what the boxes show");
    }
    return 0;
}
