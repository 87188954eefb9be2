// The field screen and the hero's steps on it.
#include "field/field_view.h"

#include <array>
#include <string>

#include "console/console.h"
#include "field/hero_movement.h"
#include "field_support.h"

namespace rf {
namespace {

using FieldViewTest = test::FieldTest;

TEST_F(FieldViewTest, FieldOfMapFiveSkipsEmptyEntriesAndDrawsTheHeroLast) {
    hero.mapNumber = 5;
    worldGrid.cells[20][61] = '#';
    worldGrid.cells[19][61] = 'N';   // map 2, not shown
    hero.fieldX = 30;
    hero.fieldY = 5;
    SetEnemies({{0, 0, 0, 0}, {1, 1, 10, 3}, {7, 2, 30, 5}});
    DrawField();
    EXPECT_EQ(Row(0, 0, 60), " #" + std::string(58, ' '));
    EXPECT_EQ(At(10, 3), "◎");
    EXPECT_EQ(At(30, 5), "●");
}

TEST_F(FieldViewTest, MiniMapWindowAndMarkForMapsOneFiveNine) {
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 20; ++x) miniMapText.text[y][x] = static_cast<unsigned char>('a' + x + y);
    struct Case {
        int map, row, markX, markY;
    };
    for (const Case& c : {Case{1, 0, 64, 2}, Case{5, 2, 69, 3}, Case{9, 4, 74, 4}}) {
        SCOPED_TRACE(c.map);
        headless::Reset();
        hero.mapNumber = static_cast<std::int16_t>(c.map);
        DrawMiniMapFrame();
        DrawMiniMap();
        const char* text = reinterpret_cast<const char*>(miniMapText.text[c.row]) + c.row;
        EXPECT_EQ(Row(1, 61, 19), "| " + std::string(text, 15) + " |");
        DrawMiniMapMark();
        EXPECT_EQ(Row(c.markY, c.markX, 3) + Row(c.markY + 1, c.markX, 3), "_|__|_");
        EXPECT_EQ(AttrAt(c.markX, c.markY) * 100 + AttrAt(c.markX, c.markY + 1), 1507);
    }
    EXPECT_EQ(Row(0, 61, 19), " _____MiniMap_____ ");
}

TEST_F(FieldViewTest, LegendTextAndTabStops) {
    DrawLegend();
    EXPECT_EQ(Row(21, 0, 68), "＞+" + std::string(62, '-') + "+＜");
    EXPECT_EQ(Row(22, 0, 52), "メニュー ・・・ スペース        移動 ・・・ 矢印キー");
    // A text ending on a stop tabs on to the next one.
    EXPECT_EQ(Row(23, 0, 68), "◎ ・・・ ポーン        △ ・・・ ナイト        ○ ・・・ ビショップ");
    EXPECT_EQ(Row(24, 0, 64), "□ ・・・ ルーク        Ω ・・・ クイーン      Ψ ・・・ キング");
}

TEST_F(FieldViewTest, PieceMarkHighlightedOpensStripClippedToItsMap) {
    for (int x = 0; x < 60; ++x) Wall(8, x, 0), Wall(8, x, 1), Wall(7, x, 0), Wall(9, x, 0);
    worldInfo.opening = {8, 21, 1};
    DrawPieceMark("Ω"_sj, PieceMark{5, 1, 1});
    EXPECT_EQ(At(0, 0), "Ω");
    EXPECT_EQ(AttrAt(1, 0), 15);
    EXPECT_EQ(console.attribute, 7);
    for (int x = 18; x <= 31; ++x) EXPECT_EQ(Cell(8, x, 1) == ' ', x >= 20 && x <= 29) << x;
    worldInfo.opening = {8, 55, 0};
    OpenStrip();
    worldInfo.opening = {8, -3, 0};
    OpenStrip();
    EXPECT_EQ(Cell(8, 59, 0), ' ');
    EXPECT_EQ(Cell(9, 0, 0), '#');
    EXPECT_EQ(Cell(8, 0, 0), ' ');
    EXPECT_EQ(Cell(7, 59, 0), '#');
}

TEST_F(FieldViewTest, PieceMarkOffTheFieldIsNotDrawn) {
    DrawMiniMapFrame();
    DrawLegend();
    const std::string top = Row(0, 0, 80), legend = Row(21, 0, 80);
    for (PieceMark m : {PieceMark{5, 0, 5}, PieceMark{5, 60, 2}, PieceMark{5, 10, 21}, PieceMark{5, 10, 0}})
        DrawPieceMark("Ψ"_sj, m);
    EXPECT_EQ(Row(0, 0, 80), top);
    EXPECT_EQ(Row(21, 0, 80), legend);
    DrawPieceMark("Ψ"_sj, PieceMark{5, 59, 20});
    EXPECT_EQ(At(58, 19), "Ψ");
}

TEST_F(FieldViewTest, ScrollFrameHalfwayThroughAChange) {
    hero.mapNumber = 2;  // just entered from map 1
    for (int y = 0; y < 20; ++y) Cell(1, 30, y) = 'L', Cell(2, 0, y) = 'R', Cell(2, 29, y) = 'r';
    MoveTo(0, 0);
    DrawScrollColumns(-30);
    for (int y : {0, 19}) EXPECT_EQ(Row(y, 0, 1) + Row(y, 30, 1) + Row(y, 59, 1), "LRr") << y;
}

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
