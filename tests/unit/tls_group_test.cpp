#include <gtest/gtest.h>

#include "email/tls_group.h"

using namespace kovalt::email;

namespace {
// The state the boxes show, ticked then enabled for "no", "yes", "auto"; else a mix.
TlsState shown(const TlsGroup& g) {
    using Look = std::array<bool, 6>;
    Look l{};
    for (size_t i = 0; i < 3; ++i)
        std::tie(l[i], l[3 + i]) = std::pair(g.ticked(TlsBox(i)), g.enabled(TlsBox(i)));
    const std::pair<Look, TlsState> looks[] = {{{1, 0, 0, 1, 0, 0}, TlsState::NoChosen},
                                               {{0, 0, 0, 1, 1, 1}, TlsState::NoneChosen},
                                               {{0, 1, 0, 0, 1, 0}, TlsState::YesChosen},
                                               {{0, 0, 1, 0, 0, 1}, TlsState::AutoChosen}};
    for (const auto& [look, state] : looks)
        if (look == l) return state;
    return TlsState::Other;
}
// One of four states (the one expected, if given), named by what the boxes show, with its word.
void expectValid(const TlsGroup& g, TlsState expected = TlsState::Other) {
    if (expected == TlsState::Other) expected = g.state();
    EXPECT_NE(expected, TlsState::Other);
    EXPECT_EQ(g.state(), expected);
    EXPECT_EQ(shown(g), expected);
    EXPECT_EQ(g.word(), expected == TlsState::YesChosen    ? L"yes"
                        : expected == TlsState::AutoChosen ? L"auto"
                                                           : L"no");
}
}  // namespace

TEST(TlsGroup, EveryClickLeadsWhereTheUserExpects) {
    using enum TlsState;
    TlsGroup g;
    expectValid(g, NoChosen);
    const std::pair<TlsBox, TlsState> clicks[] = {
        {TlsBox::No, NoneChosen},   {TlsBox::No, NoChosen},  {TlsBox::No, NoneChosen},
        {TlsBox::Yes, YesChosen},   {TlsBox::Yes, NoChosen}, {TlsBox::No, NoneChosen},
        {TlsBox::Auto, AutoChosen}, {TlsBox::Auto, NoChosen}};
    for (auto [box, after] : clicks) {
        g.click(box);
        expectValid(g, after);
    }
}

TEST(TlsGroup, FromWhateverClicksAndSetsByCodeLeftALoadOrACopyEndsInAValidState) {
    // Every group three clicks or sets by code make (sets may leave a mix of ticks).
    std::vector<TlsGroup> made;
    for (int ops = 0; ops < 9 * 9 * 9; ++ops) {
        TlsGroup g;
        for (int op = ops, n = 0; n < 3; ++n, op /= 9)
            op % 9 < 3 ? g.click(TlsBox(op % 3)) : g.set(TlsBox(op % 3), op % 9 >= 6);
        made.push_back(g);
    }
    for (const TlsGroup& from : made) {
        const bool valid = from.state() != TlsState::Other;
        EXPECT_EQ(shown(from), from.state());
        for (size_t box = 0; box < 3; ++box) {
            TlsGroup g = from;
            g.click(TlsBox(box));
            if (!from.enabled(TlsBox(box)))
                EXPECT_EQ(std::pair(shown(g), g.word()), std::pair(shown(from), from.word()));
            else if (valid)
                expectValid(g);
        }
        // What OK writes reads back as written; other mixes settle on the last one ticked.
        for (int stored = 0; stored < 8; ++stored) {
            TlsGroup g = from;
            g.load(stored & 1, stored >> 1 & 1, stored >> 2 & 1);
            expectValid(g, stored & 4   ? TlsState::AutoChosen
                           : stored & 2 ? TlsState::YesChosen
                           : stored & 1 ? TlsState::NoChosen
                                        : TlsState::NoneChosen);
        }
        for (size_t source = 0; source < made.size(); source += 9) {
            TlsGroup g = from;
            g.copyFrom(made[source]);
            expectValid(g, made[source].state());
        }
    }
}
