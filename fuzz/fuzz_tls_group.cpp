// Whatever the user clicks and whatever the store holds, a window's TLS group shows one of its
// four states with the word that goes with it.
// Input: one operation per byte on one of three groups (bits 2-3, % 3): bits 0-1 choose click,
// set by code, load or copy; bits 4-5 are the box (% 3) with bit 6 its new state, or bits 4-6
// the three stored states, or bits 4-5 the group copied from (% 3). Sets by code may leave any mix
// of ticks; loads and copies must still end in a valid state from there, and clicks must keep a
// valid state valid.
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

void checkValid(const TlsGroup& g, const char* what) {
    check(g.state() != TlsState::Other, what);
    check(g.word() == wordOf(g.state()), what);
}

auto look(const TlsGroup& g) {
    return std::tuple(g.ticked(TlsBox::No), g.ticked(TlsBox::Yes), g.ticked(TlsBox::Auto),
                      g.enabled(TlsBox::No), g.enabled(TlsBox::Yes), g.enabled(TlsBox::Auto),
                      g.word());
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
            const auto before = look(g);
            const bool enabled = g.enabled(box);
            g.click(box);
            check(enabled || look(g) == before, "a click on a disabled box changed the group");
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
    }
    return 0;
}
