#include <gtest/gtest.h>

#include <functional>

#include "email/tls_group.h"

using namespace kovalt::email;

namespace {
constexpr TlsBox kBoxes[] = {TlsBox::No, TlsBox::Yes, TlsBox::Auto};
constexpr TlsState kStates[] = {TlsState::NoChosen, TlsState::NoneChosen, TlsState::YesChosen,
                                TlsState::AutoChosen};
// What each state's boxes show (ticked no, yes, auto, then enabled), and its word.
using Look = std::array<bool, 6>;
constexpr Look kLooks[] = {
    {1, 0, 0, 1, 0, 0}, {0, 0, 0, 1, 1, 1}, {0, 1, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1}};
const wchar_t* const kWords[] = {L"no", L"no", L"yes", L"auto"};

TlsState stateShown(const TlsGroup& g) {
    Look l{};
    for (size_t i = 0; i < 3; ++i) l[i] = g.ticked(kBoxes[i]), l[3 + i] = g.enabled(kBoxes[i]);
    for (size_t i = 0; i < 4; ++i)
        if (kLooks[i] == l) return kStates[i];
    return TlsState::Other;
}
void expectState(const TlsGroup& g, TlsState s) {
    EXPECT_EQ(g.state(), s);
    EXPECT_EQ(stateShown(g), s);
    EXPECT_EQ(g.word(), kWords[static_cast<size_t>(s)]);
}
TlsGroup reach(TlsState s) {
    TlsGroup g;
    if (s != TlsState::NoChosen) g.click(TlsBox::No);
    if (s == TlsState::YesChosen) g.click(TlsBox::Yes);
    if (s == TlsState::AutoChosen) g.click(TlsBox::Auto);
    return g;
}
}  // namespace

TEST(TlsGroup, EveryClickLeadsWhereTheUserExpects) {
    TlsGroup g;
    expectState(g, TlsState::NoChosen);
    using enum TlsState;
    const std::pair<TlsBox, TlsState> clicks[] = {
        {TlsBox::No, NoneChosen},   {TlsBox::No, NoChosen},  {TlsBox::No, NoneChosen},
        {TlsBox::Yes, YesChosen},   {TlsBox::Yes, NoChosen}, {TlsBox::No, NoneChosen},
        {TlsBox::Auto, AutoChosen}, {TlsBox::Auto, NoChosen}};
    for (auto [box, after] : clicks) {
        g.click(box);
        expectState(g, after);
    }
    for (TlsState s : kStates)
        for (TlsBox b : kBoxes) {
            TlsGroup t = reach(s);
            t.click(b);
            if (!reach(s).enabled(b)) expectState(t, s);  // a disabled box refuses the click
        }
}

TEST(TlsGroup, MixesOnlyCodeCanSetAreSeenAndACopyLeavesThem) {
    // Boxes set by code run their rules nested and can end in mixes no click reaches: every
    // group reached by up to three such sets is classified by what its boxes show, and a copy
    // of the shared settings still brings it into the source's state.
    int mixes = 0;
    std::function<void(const TlsGroup&, int)> explore = [&](const TlsGroup& g, int depth) {
        EXPECT_EQ(g.state(), stateShown(g));
        mixes += g.state() == TlsState::Other;
        for (TlsState s : kStates) {
            TlsGroup copy = g;
            copy.copyFrom(reach(s));
            expectState(copy, s);
        }
        for (int i = 0; depth > 0 && i < 6; ++i) {
            TlsGroup next = g;
            next.set(kBoxes[i / 2], i % 2);
            explore(next, depth - 1);
        }
    };
    for (TlsState s : kStates) explore(reach(s), 3);
    EXPECT_GT(mixes, 0);
}

TEST(TlsGroup, LoadingEveryStoredCombinationEndsInAValidState) {
    // What OK writes reads back as written; mixes it never writes settle on the last ticked.
    using enum TlsState;
    const std::tuple<int, int, int, TlsState> stored[] = {
        {1, 0, 0, NoChosen},  {0, 0, 0, NoneChosen}, {0, 1, 0, YesChosen},  {0, 0, 1, AutoChosen},
        {1, 1, 0, YesChosen}, {1, 0, 1, AutoChosen}, {0, 1, 1, AutoChosen}, {1, 1, 1, AutoChosen}};
    for (auto [no, yes, autoOn, expected] : stored)
        for (TlsState before : kStates) {
            TlsGroup g = reach(before);
            g.load(no, yes, autoOn);
            expectState(g, expected);
        }
}
