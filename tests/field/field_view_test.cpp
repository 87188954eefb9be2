#include "field/field_view.h"

#include <string>

#include "console/console.h"
#include "field_support.h"

namespace rf {
namespace {

class FieldViewTest : public test::FieldTest {
protected:
    void MiniMapLetters() {
        // Each text cell names its row and column, so the window's part is visible.
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 20; ++x) miniMapText.text[y][x] = static_cast<unsigned char>(x < 10 ? 'a' + x : 'A' + x - 10);
        for (int y = 0; y < 9; ++y) miniMapText.text[y][0] = static_cast<unsigned char>('0' + y);
    }
};

TEST_F(FieldViewTest, FieldOfMapFiveShowsItsPartOfTheGrid) {
    hero.mapNumber = 5;
    worldGrid.cells[20][61] = '#';
    worldGrid.cells[39][119] = '%';
    worldGrid.cells[19][61] = 'N';   // map 2, not shown
    worldGrid.cells[20][120] = 'E';  // map 6, not shown
    hero.fieldX = 30;
    hero.fieldY = 5;
    SetEnemies({{1, 1, 10, 3}, {7, 2, 30, 5}});
    DrawField();
    EXPECT_EQ(At(0, 0), " #");
    EXPECT_EQ(At(59, 19, 1), "%");
    EXPECT_EQ(Row(0, 0, 60), " #" + std::string(58, ' '));
    EXPECT_EQ(At(10, 3), "◎");
    // The hero is drawn last, over an enemy on its cell.
    EXPECT_EQ(At(30, 5), "●");
    EXPECT_EQ(Screen().At(60, 0).code, ' ');
}

TEST_F(FieldViewTest, EmptyEntryIsNotDrawnAtTheTopLeft) {
    worldGrid.cells[0][0] = '#';
    worldGrid.cells[0][1] = '#';
    SetEnemies({{0, 0, 0, 0}, {3, 1, 12, 4}});
    DrawField();
    EXPECT_EQ(At(0, 0), "##");
    EXPECT_EQ(At(12, 4), "○");
}

TEST_F(FieldViewTest, MiniMapWindowAndMarkForMapsOneFiveNine) {
    MiniMapLetters();
    struct Case {
        int map;
        int textRow;
        int textColumn;
        int markX;
        int markY;
    };
    for (const Case& c : {Case{1, 0, 0, 64, 2}, Case{5, 2, 2, 69, 3}, Case{9, 4, 4, 74, 4}}) {
        headless::Reset();
        hero.mapNumber = static_cast<std::int16_t>(c.map);
        DrawMiniMapFrame();
        DrawMiniMap();
        for (int k = 0; k < 5; ++k) {
            std::string expected(reinterpret_cast<const char*>(miniMapText.text[c.textRow + k]) + c.textColumn, 15);
            EXPECT_EQ(Row(1 + k, 61, 19), "| " + expected + " |") << c.map << " row " << k;
        }
        SetTextAttribute(15);
        DrawMiniMapMark();
        EXPECT_EQ(Row(c.markY, c.markX, 3), "_|_") << c.map;
        EXPECT_EQ(Row(c.markY + 1, c.markX, 3), "_|_") << c.map;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(AttrAt(c.markX + i, c.markY), 15) << c.map;
        EXPECT_EQ(AttrAt(c.markX, c.markY + 1), 7);
        EXPECT_EQ(AttrAt(c.markX + 1, c.markY + 1), 15);
        EXPECT_EQ(AttrAt(c.markX + 2, c.markY + 1), 7);
        EXPECT_EQ(AttrAt(c.markX + 3, c.markY), 7);
        EXPECT_EQ(console.attribute, 7);
    }
    EXPECT_EQ(Row(0, 61, 19), " _____MiniMap_____ ");
    EXPECT_EQ(Row(6, 61, 19), " ￣￣￣￣￣￣￣￣￣");
}

TEST_F(FieldViewTest, LegendTextAndTabStops) {
    DrawLegend();
    EXPECT_EQ(Row(21, 0, 68), "＞+" + std::string(62, '-') + "+＜");
    // 24 cells, then a tab to column 32.
    EXPECT_EQ(Row(22, 0, 32), "メニュー ・・・ スペース        ");
    EXPECT_EQ(Row(22, 32, 20), "移動 ・・・ 矢印キー");
    // A tab from a text ending on a stop goes on to the next one.
    EXPECT_EQ(Row(23, 0, 24), "◎ ・・・ ポーン        ");
    EXPECT_EQ(Row(23, 24, 24), "△ ・・・ ナイト        ");
    EXPECT_EQ(Row(23, 48, 20), "○ ・・・ ビショップ");
    EXPECT_EQ(Row(24, 0, 24), "□ ・・・ ルーク        ");
    EXPECT_EQ(Row(24, 24, 24), "Ω ・・・ クイーン      ");
    EXPECT_EQ(Row(24, 48, 16), "Ψ ・・・ キング");
}

TEST_F(FieldViewTest, PieceMarkHighlightedOpensStripWithinItsMap) {
    worldInfo.opening = {8, 21, 1};
    for (int x = 0; x < 60; ++x) {
        Wall(8, x, 0);
        Wall(8, x, 1);
        Wall(8, x, 2);
    }
    DrawPieceMark("Ω"_sj, PieceMark{5, 1, 1});
    EXPECT_EQ(At(0, 0), "Ω");
    EXPECT_EQ(AttrAt(0, 0), 15);
    EXPECT_EQ(AttrAt(1, 0), 15);
    EXPECT_EQ(console.attribute, 7);
    for (int x = 0; x < 60; ++x) {
        const bool open = x >= 20 && x <= 29;
        EXPECT_EQ(worldGrid.cells[40][60 + x] == ' ', open) << x;
        EXPECT_EQ(worldGrid.cells[41][60 + x] == ' ', open) << x;
        EXPECT_EQ(worldGrid.cells[42][60 + x], '#');
    }
    // A strip reaching past either side of its map stops at the map's edge.
    worldInfo.opening = {8, 55, 0};
    OpenStrip();
    EXPECT_EQ(Cell(9, 0, 0), ' ');  // map 9 was free anyway; check it is untouched by a wall test
    Wall(9, 0, 0);
    OpenStrip();
    EXPECT_EQ(Cell(9, 0, 0), '#');
    EXPECT_EQ(Cell(8, 59, 1), ' ');
    Wall(7, 59, 0);
    worldInfo.opening = {8, -3, 0};
    OpenStrip();
    EXPECT_EQ(Cell(7, 59, 0), '#');
    EXPECT_EQ(Cell(8, 0, 0), ' ');
    EXPECT_EQ(Cell(8, 6, 0), '#');
    // A strip on no map changes nothing.
    worldInfo.opening = {0, 5, 0};
    OpenStrip();
    worldInfo.opening = {12, 5, 0};
    OpenStrip();
    EXPECT_EQ(Cell(8, 6, 0), '#');
}

TEST_F(FieldViewTest, PieceMarkOffTheFieldIsNotDrawn) {
    DrawMiniMapFrame();
    DrawLegend();
    const std::string top = Row(0, 0, 80);
    const std::string legend = Row(21, 0, 80);
    for (PieceMark m : {PieceMark{5, 0, 5}, PieceMark{5, 61, 1}, PieceMark{5, 60, 2}, PieceMark{5, 10, 21},
                        PieceMark{5, 10, 0}, PieceMark{5, -4, 22}})
        DrawPieceMark("Ψ"_sj, m);
    EXPECT_EQ(Row(0, 0, 80), top);
    EXPECT_EQ(Row(21, 0, 80), legend);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 80; ++x) EXPECT_NE(AttrAt(x, y), 15) << x << "," << y;
    DrawPieceMark("Ψ"_sj, PieceMark{5, 59, 20});
    EXPECT_EQ(At(58, 19), "Ψ");
}

TEST_F(FieldViewTest, ScrollColumnFrameHalfwayThroughAChangeToTheRight) {
    hero.mapNumber = 2;  // the map just entered from map 1
    for (int y = 0; y < 20; ++y) {
        Cell(1, 30, y) = 'L';
        Cell(2, 0, y) = 'R';
        Cell(2, 29, y) = 'r';
    }
    MoveTo(0, 0);
    DrawScrollColumns(-30);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(At(0, y, 1), "L");
        EXPECT_EQ(At(30, y, 1), "R");
        EXPECT_EQ(At(59, y, 1), "r");
    }
}

TEST_F(FieldViewTest, ScrollRowFrameShowsTheMapAboveAndBlanksRowTwenty) {
    hero.mapNumber = 4;
    for (int x = 0; x < 60; ++x) {
        Cell(1, x, 1) = 'a';
        Cell(1, x, 19) = 'z';
        Cell(4, x, 0) = '0';
        Cell(4, x, 1) = '1';
    }
    MoveTo(0, 20);
    Write(std::string(60, 'x'));
    MoveTo(0, 0);
    DrawScrollRows(-19);
    EXPECT_EQ(Row(0, 0, 60), std::string(60, 'a'));
    EXPECT_EQ(Row(18, 0, 60), std::string(60, 'z'));
    EXPECT_EQ(Row(19, 0, 60), std::string(60, '0'));
    EXPECT_EQ(Row(20, 0, 60), std::string(60, ' '));
}

}  // namespace
}  // namespace rf
