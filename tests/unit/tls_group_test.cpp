#include <gtest/gtest.h>

#include <random>

#include "email/tls_group.h"

using namespace kovalt::email;

// The fuzz target's properties over one input (fuzz/fuzz_tls_group.cpp); it aborts, naming the
// property, when one does not hold.
extern "C" int fuzzTlsGroup(const uint8_t* data, size_t size);

TEST(TlsGroup, EveryClickLeadsWhereTheUserExpects) {
    using enum TlsState;
    TlsGroup g;
    EXPECT_EQ(g.state(), NoChosen);
    const std::pair<TlsBox, TlsState> clicks[] = {
        {TlsBox::No, NoneChosen},   {TlsBox::No, NoChosen},  {TlsBox::No, NoneChosen},
        {TlsBox::Yes, YesChosen},   {TlsBox::Yes, NoChosen}, {TlsBox::No, NoneChosen},
        {TlsBox::Auto, AutoChosen}, {TlsBox::Auto, NoChosen}};
    for (auto [box, after] : clicks) {
        g.click(box);
        EXPECT_EQ(g.state(), after);  // the replay below checks each state's word
    }
}

TEST(TlsGroup, ClicksSetsByCodeLoadsAndCopiesKeepItsRules) {
    // Every pair of operations, then seeded runs of ten: sets by code make the mixes, later
    // loads and copies must leave them.
    uint8_t run[10];
    for (unsigned n = 0; n < 96 * 96; ++n) {
        for (unsigned i = 0, v = n; i < 2; ++i, v /= 96)  // op, group, arguments
            run[i] = static_cast<uint8_t>(v % 4 | (v / 4 % 3) << 2 | (v / 12 % 8) << 4);
        fuzzTlsGroup(run, 2);
    }
    std::mt19937 random(1);
    for (int n = 0; n < 20000; ++n) {
        for (uint8_t& op : run) op = static_cast<uint8_t>(random());
        fuzzTlsGroup(run, sizeof(run));
    }
}
