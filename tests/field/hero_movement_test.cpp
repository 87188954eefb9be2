#include "field/hero_movement.h"

#include <string>

#include "console/console.h"
#include "field/field_view.h"
#include "field_support.h"

namespace rf {
namespace {

class HeroMovementTest : public test::FieldTest {
protected:
    void Place(int map, int x, int y) {
        hero.mapNumber = static_cast<std::int16_t>(map);
        hero.fieldX = static_cast<std::int16_t>(x);
        hero.fieldY = static_cast<std::int16_t>(y);
        DrawField();
    }
    void ExpectHero(int map, int x, int y) {
        EXPECT_EQ(hero.mapNumber, map);
        EXPECT_EQ(hero.fieldX, x);
        EXPECT_EQ(hero.fieldY, y);
        EXPECT_EQ(At(x, y), "●");
    }
};

TEST_F(HeroMovementTest, FullStepsInFourDirectionsEraseTheOldCell) {
    struct Case {
        int key, x, y;
    };
    for (Case c : {Case{kKeyRight, 22, 10}, Case{kKeyLeft, 18, 10}, Case{kKeyUp, 20, 9}, Case{kKeyDown, 20, 11}}) {
        headless::Reset();
        Place(5, 20, 10);
        MoveHero(c.key);
        ExpectHero(5, c.x, c.y);
        EXPECT_EQ(At(20, 10), "  ");
    }
}

TEST_F(HeroMovementTest, ShortStepBesideAWallAndBlockedStepDrawsNothing) {
    Place(5, 20, 10);
    Wall(5, 23, 10);
    MoveHero(kKeyRight);
    ExpectHero(5, 21, 10);
    EXPECT_EQ(At(20, 10, 1), " ");
    // Now the wall is right beside the mark's far side.
    MoveTo(0, 0);
    Write("x");
    MoveHero(kKeyRight);
    ExpectHero(5, 21, 10);
    EXPECT_EQ(console.x, 0);  // nothing was drawn
    // Left: a wall two cells beyond gives the short step, one cell beyond blocks.
    Wall(5, 18, 10);
    MoveHero(kKeyLeft);
    ExpectHero(5, 19, 10);
    MoveHero(kKeyLeft);
    ExpectHero(5, 19, 10);
    // Vertical steps look at both cells the mark would cover.
    Wall(5, 20, 9);
    MoveHero(kKeyUp);
    ExpectHero(5, 19, 10);
    MoveHero(kKeyDown);
    ExpectHero(5, 19, 11);
}

TEST_F(HeroMovementTest, PassesRightAfterTheShortStepToFiftySeven) {
    EnemyList(2, "1\n2 1 30 4\n");
    Cell(2, 0, 3) = 'W';
    Place(1, 56, 10);
    MoveHero(kKeyRight);
    ExpectHero(1, 57, 10);
    const auto slept = headless::SleptMs();
    MoveHero(kKeyRight);
    ExpectHero(2, 0, 10);
    EXPECT_EQ(headless::SleptMs() - slept, 60 * kScrollColumnFrameMs);
    EXPECT_EQ(At(0, 3, 1), "W");  // the last frame is the new map
    EXPECT_EQ(At(30, 4), "△");
    EXPECT_EQ(fieldEnemies.count, 1);
}

TEST_F(HeroMovementTest, WallInColumnZeroOfTheNextMapStopsAtFiftyEight) {
    Wall(3, 0, 10);
    Place(2, 57, 10);
    MoveHero(kKeyRight);
    ExpectHero(2, 58, 10);
    MoveHero(kKeyRight);
    ExpectHero(2, 58, 10);
    // Without the wall, 58 still cannot pass: the step would go past the last column.
    Cell(3, 0, 10) = ' ';
    MoveHero(kKeyRight);
    ExpectHero(2, 58, 10);
}

TEST_F(HeroMovementTest, LeftShortStepToZeroThenPassageOrBlockByTheMapToTheLeft) {
    Place(5, 1, 5);
    MoveHero(kKeyLeft);
    ExpectHero(5, 0, 5);
    Wall(4, 58, 5);
    MoveHero(kKeyLeft);
    ExpectHero(5, 0, 5);
    Cell(4, 58, 5) = ' ';
    MoveHero(kKeyLeft);
    ExpectHero(4, 57, 5);
}

TEST_F(HeroMovementTest, OuterBorderIsAWall) {
    for (int map : {1, 4, 7}) {
        Place(map, 0, 5);
        MoveHero(kKeyLeft);
        ExpectHero(map, 0, 5);
    }
    for (int map : {1, 2, 3}) {
        Place(map, 10, 0);
        MoveHero(kKeyUp);
        ExpectHero(map, 10, 0);
    }
    for (int map : {7, 8, 9}) {
        Place(map, 10, 19);
        MoveHero(kKeyDown);
        ExpectHero(map, 10, 19);
    }
    for (int map : {3, 6, 9}) {
        Place(map, 57, 5);
        MoveHero(kKeyRight);
        ExpectHero(map, 58, 5);
        MoveHero(kKeyRight);
        ExpectHero(map, 58, 5);
    }
}

TEST_F(HeroMovementTest, PassageToAllFourNeighboursOfMapFive) {
    struct Case {
        int key, x, y, map, nx, ny;
        std::int64_t ms;
    };
    for (Case c : {Case{kKeyRight, 57, 8, 6, 0, 8, 60 * kScrollColumnFrameMs},
                   Case{kKeyLeft, 0, 8, 4, 57, 8, 60 * kScrollColumnFrameMs},
                   Case{kKeyDown, 30, 19, 8, 30, 0, 20 * kScrollRowFrameMs},
                   Case{kKeyUp, 30, 0, 2, 30, 19, 20 * kScrollRowFrameMs}}) {
        headless::Reset();
        Place(5, c.x, c.y);
        MoveHero(c.key);
        ExpectHero(c.map, c.nx, c.ny);
        EXPECT_EQ(headless::SleptMs(), c.ms);
        // The mini-map mark follows.
        const int mx = 64 + 5 * ((c.map - 1) % 3);
        const int my = (c.map - 1) / 3 + 2;
        EXPECT_EQ(Row(my, mx, 3), "_|_") << c.map;
        EXPECT_EQ(AttrAt(mx, my), 15) << c.map;
    }
}

TEST_F(HeroMovementTest, ArrowPrefixRedrawsInPlaceAndCapitalLettersMove) {
    Place(5, 20, 10);
    MoveTo(0, 0);
    MoveHero(headless::kPrefix);
    ExpectHero(5, 20, 10);
    EXPECT_EQ(console.x, 20);
    EXPECT_EQ(console.y, 10);
    MoveHero('K');
    ExpectHero(5, 18, 10);
    MoveHero(' ');
    MoveHero(kKeyEnter);
    ExpectHero(5, 18, 10);
}

TEST_F(HeroMovementTest, WalkingOverAnEnemyHidesThenBlanksIt) {
    SetEnemies({{1, 1, 22, 10}});
    Place(5, 20, 10);
    EXPECT_EQ(At(22, 10), "◎");
    MoveHero(kKeyRight);
    ExpectHero(5, 22, 10);
    MoveHero(kKeyRight);
    EXPECT_EQ(At(22, 10), "  ");
    EXPECT_EQ(fieldEnemies.entries[0].x, 22);
}

TEST_F(HeroMovementTest, EnteringTheQueensMapDrawsHerAndOpensTheStrip) {
    worldInfo.queenMark = {2, 11, 4};
    worldInfo.kingMark = {2, 31, 6};
    worldInfo.opening = {2, 21, 1};
    for (int x = 0; x < 60; ++x) Wall(2, x, 0), Wall(2, x, 1);
    Place(1, 57, 10);
    MoveHero(kKeyRight);
    ExpectHero(2, 0, 10);
    EXPECT_EQ(At(10, 3), "Ω");
    EXPECT_EQ(AttrAt(10, 3), 15);
    EXPECT_EQ(AttrAt(11, 3), 15);
    EXPECT_EQ(At(30, 5), "  ");  // the King shares the map: only the Queen is drawn
    EXPECT_EQ(console.attribute, 7);
    // Rows 0 and 1 of the strip are free from now on; the grid beside it is not.
    EXPECT_EQ(TestStep(kKeyUp, 20, 2), kStepFull);
    EXPECT_EQ(TestStep(kKeyUp, 20, 1), kStepFull);
    EXPECT_EQ(TestStep(kKeyUp, 20, 0), kStepBlocked);
    EXPECT_EQ(TestStep(kKeyUp, 29, 2), kStepBlocked);
    EXPECT_EQ(TestStep(kKeyUp, 18, 2), kStepBlocked);
}

TEST_F(HeroMovementTest, StartCellOffTheFieldIsClamped) {
    hero.fieldX = 70;
    hero.fieldY = -2;
    ClampHeroCell();
    EXPECT_EQ(hero.fieldX, 58);
    EXPECT_EQ(hero.fieldY, 0);
    hero.fieldX = -1;
    hero.fieldY = 20;
    ClampHeroCell();
    EXPECT_EQ(hero.fieldX, 0);
    EXPECT_EQ(hero.fieldY, 19);
}

}  // namespace
}  // namespace rf
