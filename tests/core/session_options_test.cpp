// The options of saved games, recordings and replays on the command line.
#include <gtest/gtest.h>

#include <vector>

#include "program/session.h"

namespace rf {
namespace {

// Takes the options of `args` in order; the values used, or -1 at a refusal.
int Take(std::vector<const char*> args, SessionOptions& options) {
    args.insert(args.begin(), "ranks");
    int i = 1;
    while (i < static_cast<int>(args.size())) {
        int used = TakeSessionOption(static_cast<int>(args.size()), const_cast<char**>(args.data()), i, options);
        if (used <= 0) return used;
        i += used;
    }
    return i - 1;
}

// --replay and --headless are taken, and --world left to the game, on every
// replay of the recorded games.
TEST(SessionOptions, ValuesAndRefusals) {
    SessionOptions o;
    EXPECT_EQ(Take({"--continue", "--saves", "--speed", "max"}, o), 4);
    EXPECT_TRUE(o.continueGame && o.continueFile.empty() && o.listSaves);
    EXPECT_EQ(o.speed, 0);
    o = {};
    EXPECT_EQ(Take({"--continue", "my.save", "--record", "r.rec", "--speed", "16"}, o), 6);
    EXPECT_EQ(o.continueFile, "my.save");
    EXPECT_EQ(o.recordFile, "r.rec");
    EXPECT_EQ(o.speed, 16);
    for (std::vector<const char*> bad : {std::vector<const char*>{"--speed", "0"}, {"--speed", "fast"},
                                          {"--speed", "99999"}, {"--record"}, {"--replay"}}) {
        o = {};
        EXPECT_EQ(Take(bad, o), -1) << bad[0];
    }
}

}  // namespace
}  // namespace rf
