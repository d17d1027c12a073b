#include <gtest/gtest.h>

#include "email/tls_group.h"

using namespace kovalt::email;

namespace {
struct Look {
    bool no, yes, autoOn;           // ticked
    bool noOn, yesOn, autoEnabled;  // enabled
    const wchar_t* word;
};
void expectLook(const TlsGroup& g, const Look& l) {
    EXPECT_EQ(g.ticked(TlsBox::No), l.no);
    EXPECT_EQ(g.ticked(TlsBox::Yes), l.yes);
    EXPECT_EQ(g.ticked(TlsBox::Auto), l.autoOn);
    EXPECT_EQ(g.enabled(TlsBox::No), l.noOn);
    EXPECT_EQ(g.enabled(TlsBox::Yes), l.yesOn);
    EXPECT_EQ(g.enabled(TlsBox::Auto), l.autoEnabled);
    EXPECT_EQ(g.word(), l.word);
}
const Look kNoChosen{true, false, false, true, false, false, L"no"};
const Look kNoneChosen{false, false, false, true, true, true, L"no"};
const Look kYesChosen{false, true, false, false, true, false, L"yes"};
const Look kAutoChosen{false, false, true, false, false, true, L"auto"};

TlsGroup reach(TlsState s) {
    TlsGroup g;
    if (s == TlsState::NoChosen) return g;
    g.click(TlsBox::No);
    if (s == TlsState::YesChosen) g.click(TlsBox::Yes);
    if (s == TlsState::AutoChosen) g.click(TlsBox::Auto);
    return g;
}
constexpr TlsState kStates[] = {TlsState::NoChosen, TlsState::NoneChosen, TlsState::YesChosen,
                                TlsState::AutoChosen};
}  // namespace

TEST(TlsGroup, EveryUserClickLeadsWhereTheUserExpects) {
    TlsGroup g;
    expectLook(g, kNoChosen);
    g.click(TlsBox::No);
    expectLook(g, kNoneChosen);
    g.click(TlsBox::No);
    expectLook(g, kNoChosen);
    g.click(TlsBox::No);
    g.click(TlsBox::Yes);
    expectLook(g, kYesChosen);
    g.click(TlsBox::Yes);  // the nested "no" rule disables the box just unticked
    expectLook(g, kNoChosen);
    g.click(TlsBox::No);
    g.click(TlsBox::Auto);
    expectLook(g, kAutoChosen);
    g.click(TlsBox::Auto);
    expectLook(g, kNoChosen);
    // Disabled boxes refuse the user's click in every state.
    for (TlsState s : kStates) {
        for (TlsBox b : {TlsBox::No, TlsBox::Yes, TlsBox::Auto}) {
            TlsGroup t = reach(s);
            if (t.enabled(b)) continue;
            t.click(b);
            EXPECT_EQ(t.state(), s);
        }
    }
}

TEST(TlsGroup, LoadingEveryStoredCombinationEndsInAValidState) {
    const std::tuple<int, int, int, TlsState> written[] = {
        {1, 0, 0, TlsState::NoChosen},
        {0, 0, 0, TlsState::NoneChosen},
        {0, 1, 0, TlsState::YesChosen},
        {0, 0, 1, TlsState::AutoChosen}};
    for (auto [no, yes, a, expected] : written) {
        TlsGroup g;
        g.load(no, yes, a);
        EXPECT_EQ(g.state(), expected) << no << yes << a;
    }
    // Combinations OK never writes settle on the last box stored as ticked.
    const std::tuple<int, int, int, TlsState> mixed[] = {{1, 1, 0, TlsState::YesChosen},
                                                         {1, 0, 1, TlsState::AutoChosen},
                                                         {0, 1, 1, TlsState::AutoChosen},
                                                         {1, 1, 1, TlsState::AutoChosen}};
    for (auto [no, yes, a, expected] : mixed) {
        TlsGroup g;
        g.load(no, yes, a);
        EXPECT_EQ(g.state(), expected) << no << yes << a;
    }
    // Loading over a group that showed another choice ends in the stored state all the same.
    for (auto [no, yes, a, expected] : written) {
        TlsGroup g = reach(TlsState::AutoChosen);
        g.load(no, yes, a);
        EXPECT_EQ(g.state(), expected) << "over auto: " << no << yes << a;
    }
    for (int no : {0, 1})
        for (int yes : {0, 1})
            for (int a : {0, 1}) {
                TlsGroup g;
                g.load(no, yes, a);
                EXPECT_NE(g.state(), TlsState::Other) << no << yes << a;
                const wchar_t* word = g.state() == TlsState::YesChosen    ? L"yes"
                                      : g.state() == TlsState::AutoChosen ? L"auto"
                                                                          : L"no";
                EXPECT_EQ(g.word(), word) << no << yes << a;
            }
}

TEST(TlsGroup, CopyingReachesTheSourceStateFromAnyTarget) {
    for (TlsState from : kStates)
        for (TlsState to : kStates) {
            TlsGroup target = reach(to);
            target.copyFrom(reach(from));
            EXPECT_EQ(target.state(), from) << int(from) << " over " << int(to);
            EXPECT_EQ(target.word(), reach(from).word());
        }
}
