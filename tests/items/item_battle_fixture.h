// A hero with all three items and the five abilities against pawns that
// never land a blow: each enemy turn is one message to acknowledge.
#pragma once

#include "../battle/battle_fixtures.h"

namespace rf::test {

class ItemBattleTest : public GameTest {
protected:
    void Open(int pawns) {
        SetUpHero();
        SetUpAbilities();
        pawn = MakePawn();
        pawn.speed = 0;
        hero.speed = 1000;
        OpenGroup(pawn, pawns);
        SeedBattleRandom(1);
    }
    EnemyStatus pawn;
};

}  // namespace rf::test
