// A hero with all three items and the five abilities against a pawn that
// never lands a blow: each enemy turn is one message to acknowledge.
#pragma once

#include <string>

#include "../battle/battle_fixtures.h"

namespace rf::test {

class ItemBattleTest : public BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        Open(1);
    }
    void Open(int pawns) {
        pawn.speed = 0;
        hero.speed = 1000;
        OpenGroup(pawn, pawns);
        SeedBattleRandom(1);
    }
    void Acks(int n) {
        for (int i = 0; i < n; ++i) headless::Key(kKeyEnter);
    }
    // The effect marks on rows 16..18.
    std::string Marks() { return Row(16, 1, 2) + Row(17, 1, 2) + Row(18, 1, 2); }
    // What a command returns; -1 while it still waits for keys.
    template <typename F>
    int Result(F command) {
        int r = -1;
        RunScript([&] { r = command(); });
        return r;
    }
};

}  // namespace rf::test
