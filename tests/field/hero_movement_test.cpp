#include "field/hero_movement.h"

#include <array>
#include <string>

#include "console/console.h"
#include "field/field_view.h"
#include "field_support.h"

namespace rf {
namespace {

class HeroMovementTest : public test::FieldTest {
protected:
    void Place(int map, int x, int y) {
        hero.mapNumber = static_cast<std::int16_t>(map), hero.fieldX = static_cast<std::int16_t>(x);
        hero.fieldY = static_cast<std::int16_t>(y);
        DrawField();
    }
    void ExpectHero(int map, int x, int y) {
        EXPECT_EQ((std::array{hero.mapNumber, hero.fieldX, hero.fieldY}),
                  (std::array{static_cast<std::int16_t>(map), static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)}));
        EXPECT_EQ(At(x, y), "●");
    }
};

TEST_F(HeroMovementTest, PassageToNeighboursAndTheBlockedOuterBorder) {
    struct Case {
        int map, key, x, y, nmap, nx, ny;
        std::int64_t ms;
    };
    const Case cases[] = {
        {5, kKeyRight, 57, 8, 6, 0, 8, 60 * kScrollColumnFrameMs}, {5, kKeyLeft, 0, 8, 4, 57, 8, 60 * kScrollColumnFrameMs},
        {5, kKeyDown, 30, 19, 8, 30, 0, 20 * kScrollRowFrameMs},   {5, kKeyUp, 30, 0, 2, 30, 19, 20 * kScrollRowFrameMs},
        {4, kKeyLeft, 0, 5, 4, 0, 5, 0},     {2, kKeyUp, 10, 0, 2, 10, 0, 0},
        {8, kKeyDown, 10, 19, 8, 10, 19, 0}, {6, kKeyRight, 58, 5, 6, 58, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map << " key " << c.key);
        headless::Reset();
        Place(c.map, c.x, c.y);
        MoveHero(c.key);
        ExpectHero(c.nmap, c.nx, c.ny);
        EXPECT_EQ(headless::SleptMs(), c.ms);
        if (c.ms) { EXPECT_EQ(AttrAt(64 + 5 * ((c.nmap - 1) % 3), (c.nmap - 1) / 3 + 2), 15); }  // mark follows
    }
}

TEST_F(HeroMovementTest, ShortStepsBesideWalls) {
    Place(5, 20, 10);
    Wall(5, 23, 10);
    MoveHero(kKeyRight);
    ExpectHero(5, 21, 10);
    EXPECT_EQ(At(20, 10, 1), " ");
    MoveHero(kKeyRight);  // wall right beside the mark: blocked
    ExpectHero(5, 21, 10);
    Wall(5, 18, 10), Wall(5, 20, 9);
    MoveHero(kKeyLeft);
    MoveHero(kKeyUp);  // a vertical step looks at both cells the mark would cover
    ExpectHero(5, 19, 10);
}

TEST_F(HeroMovementTest, ArrowPrefixRedrawsInPlaceAndCapitalKMovesLeft) {
    Place(5, 20, 10);
    MoveTo(0, 0);
    MoveHero(headless::kPrefix);
    ExpectHero(5, 20, 10);
    EXPECT_EQ(console.x, 20);
    MoveHero('K');
    ExpectHero(5, 18, 10);
}

TEST_F(HeroMovementTest, StartCellOffTheFieldIsClamped) {
    hero.fieldX = 70, hero.fieldY = -2;
    ClampHeroCell();
    EXPECT_EQ(hero.fieldX * 100 + hero.fieldY, 5800);
    hero.fieldX = -1, hero.fieldY = 20;
    ClampHeroCell();
    EXPECT_EQ(hero.fieldX * 100 + hero.fieldY, 19);
}

}  // namespace
}  // namespace rf
