// The field screen, the hero's steps on it, and the field in words: the
// ways out of the hero's cell, the map's signs and its enemies, as a screen
// reader is told them on arriving.
#include "field/field_view.h"

#include <array>

#include "console/console.h"
#include "core/texts.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "field_support.h"
#include "platform/backend.h"
#include "platform/narration.h"
#include "text/cp932.h"

namespace rf {
namespace {

using FieldViewTest = test::FieldTest;

TEST_F(FieldViewTest, PieceMarkOnlyOnTheFieldHighlightedAndOpeningAStripClippedToItsMap) {
    for (PieceMark m : {PieceMark{5, 0, 5}, PieceMark{5, 61, 2}, PieceMark{5, 10, 21}, PieceMark{5, 10, 0}})
        DrawPieceMark("Ψ"_sj, m);
    for (int y = 0; y < 25; ++y) EXPECT_EQ(Row(y), std::string(80, ' ')) << y;
    for (int x = 0; x < 60; ++x) Wall(8, x, 0), Wall(8, x, 1), Wall(7, x, 0), Wall(9, x, 0);
    worldInfo.opening = {8, 21, 1};
    DrawPieceMark("Ψ"_sj, PieceMark{5, 59, 20});
    DrawPieceMark("Ψ"_sj, PieceMark{5, 60, 3});  // column 59 is the field's last
    DrawPieceMark("Ω"_sj, PieceMark{5, 1, 1});
    EXPECT_EQ(At(0, 0) + At(58, 19) + At(59, 2) + std::to_string(AttrAt(1, 0) * 100 + console.attribute), "ΩΨΨ1507");
    for (int x = 18; x <= 31; ++x) EXPECT_EQ(Cell(8, x, 1) == ' ', x >= 20 && x <= 29) << x;
    worldInfo.opening = {8, 55, 0};
    OpenStrip();
    worldInfo.opening = {8, -3, 0};
    OpenStrip();
    // Both strips stop at the map's edges.
    EXPECT_EQ((std::string{char(Cell(7, 59, 0)), char(Cell(8, 0, 0)), char(Cell(8, 59, 0)), char(Cell(9, 0, 0))}),
              "#  #");
}

// Every frame of every sideways change in the default world shows each
// cell as its map alone shows it, or a blank where the frame's edge cuts a
// two-cell character: never a lone byte read as another character.
TEST_F(FieldViewTest, SidewaysFramesOfTheDefaultWorldShowNoCutHalves) {
    dataRoot = RANKS_WORLD_DIR;
    LoadMapForms(1);
    worldInfo = {};  // no piece mark: the grid must come out as it went in
    const std::string before = std::string(reinterpret_cast<const char*>(worldGrid.cells), sizeof worldGrid.cells);
    platform::Cell alone[10][20][60];  // each map as DrawField shows it
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m), hero.fieldY = 24;  // the hero below the field
        DrawField();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x) alone[m][y][x] = headless::Screen().At(x, y);
    }
    int frames = 0, blanked = 0;
    for (int from = 1; from <= 9; ++from) {
        for (int way : {1, -1}) {
            const int to = from + way;
            if ((from - 1) / 3 != (to - 1) / 3 || to < 1 || to > 9) continue;
            int shift = -59 * way;
            headless::SetPresentObserver([&] {
                const int left = way > 0 ? from : to;  // the map on the frame's left
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 60; ++x) {
                        const int g = (way > 0 ? 60 : 0) + shift + x;  // from the left map's column 0
                        const platform::Cell& want = alone[g < 60 ? left : left + 1][y][g % 60];
                        const platform::Cell& shown = headless::Screen().At(x, y);
                        const bool cut = (want.half == 2 && x == 0) || (want.half == 1 && x == 59);
                        blanked += cut;
                        ASSERT_TRUE(cut ? shown.code == ' ' && shown.half == 0 : shown == want)
                            << from << ">" << to << " shift " << shift << " at " << x << "," << y;
                    }
                ++frames, shift += way;
            });
            hero.mapNumber = static_cast<std::int16_t>(from), hero.fieldY = 24;
            fieldEnemies = {};
            EnterNeighbourMap(way > 0 ? kKeyRight : kKeyLeft);
            headless::SetPresentObserver(nullptr);
        }
    }
    EXPECT_EQ(frames, 12 * 60);
    EXPECT_GT(blanked, 0);  // the world has characters to cut
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(worldGrid.cells), sizeof worldGrid.cells) == before);
}

using HeroMovementTest = test::FieldTest;

// Walls at (wx, wy) on the hero's map; 0, 0 for none. The walls stay for
// the later cases, which do not pass them.
TEST_F(HeroMovementTest, PassagesShortStepsAndTheBlockedOuterBorder) {
    const std::int64_t side = 60 * kScrollColumnFrameMs, vertical = 20 * kScrollRowFrameMs;
    const struct {
        std::int16_t map;
        int key;
        std::int16_t x, y, wx, wy, nmap, nx, ny;
        std::int64_t ms;
    } cases[] = {
        {5, kKeyRight, 57, 8, 0, 0, 6, 0, 8, side},
        {5, kKeyLeft, 0, 8, 0, 0, 4, 57, 8, side},
        {5, kKeyDown, 30, 19, 0, 0, 8, 30, 0, vertical},
        {5, kKeyUp, 30, 0, 0, 0, 2, 30, 19, vertical},
        {4, kKeyLeft, 0, 5, 0, 0, 4, 0, 5, 0},
        {2, kKeyUp, 10, 0, 0, 0, 2, 10, 0, 0},
        {8, kKeyDown, 10, 19, 0, 0, 8, 10, 19, 0},
        {6, kKeyRight, 58, 5, 0, 0, 6, 58, 5, 0},
        {5, kKeyRight, 20, 10, 23, 10, 5, 21, 10, 0},  // short step
        {5, kKeyRight, 20, 10, 22, 10, 5, 20, 10, 0},  // wall right beside the mark
        {5, kKeyUp, 20, 10, 21, 9, 5, 20, 10, 0},      // a vertical step looks at both cells
        {5, 'K', 20, 10, 0, 0, 5, 18, 10, 0},
        {5, headless::kPrefix, 20, 10, 0, 0, 5, 20, 10, 0},  // an arrow's prefix redraws in place
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map << " key " << c.key << " wall " << c.wx);
        headless::Reset();
        if (c.wx) Wall(c.map, c.wx, c.wy);
        hero.mapNumber = c.map, hero.fieldX = c.x, hero.fieldY = c.y;
        DrawField();
        MoveHero(c.key);
        EXPECT_EQ((std::array<int, 3>{hero.mapNumber, hero.fieldX, hero.fieldY}),
                  (std::array<int, 3>{c.nmap, c.nx, c.ny}));
        EXPECT_EQ(At(c.nx, c.ny), "●");
        EXPECT_EQ(headless::SleptMs(), c.ms);
        if (c.ms) {
            EXPECT_EQ(AttrAt(64 + 5 * ((c.nmap - 1) % 3), (c.nmap - 1) / 3 + 2), 15);
        }  // mark follows
    }
}

std::string said;
void Keep(std::string_view line) { said = Cp932ToUtf8(line); }
void Ignore(std::string_view) {}
constexpr platform::Narrator kCapture{Ignore, Keep};

class SurroundingsTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        platform::SetNarrator(&kCapture);
        platform::NarrateMessage("");  // nothing said just before
        said.clear();
        const std::string pawn = test::ToCp932("ポーン");
        std::memcpy(enemyTable.kinds[0].name, pawn.data(), pawn.size());
        hero.level = 3, hero.maxHp = 52;
    }
    void TearDown() override {
        platform::SetNarrator(nullptr);
        language = 0;
        FieldTest::TearDown();
    }
};

TEST_F(SurroundingsTest, WaysSignsAndEnemies) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        // Map 1 is the world's top-left corner: up and left end in walls,
        // down and right lead to the next maps.
        {[] {},
         "マップ1　レベル3　HP52。上に10歩で壁、下に10歩で次のマップ、左に10歩で壁、右に20歩で次のマップ。敵はいない"
         "。"},
        {[this] {
             Wall(1, 22, 10), Wall(1, 20, 9);
             SetEnemies({{1, 3, 26, 12}, {1, 1, 20, 10}});
         },
         "マップ1　レベル3　HP52。上は壁、下に10歩で次のマップ、左に10歩で壁、右は壁。ポーン：下に2、右に3。ポーン：す"
         "ぐそば。"},
        {[this] {
             const std::string sign = test::ToCp932("キング 門");
             std::memcpy(&Cell(1, 3, 2), sign.data(), sign.size());
         },
         "看板「キング 門」。"},
        // The same in English, the world's own names kept where it has no
        // translation.
        {[] { language = static_cast<std::int16_t>(LanguageIndex("en")); },
         "Map 1, level 3, HP 52. up: a wall; down: 10 steps to the next map; left: 10 steps to a wall; right: a wall. "
         "Sign: \"キング 門\". ポーン: 2 down; 3 right. ポーン: right here. "},
    };
    for (const auto& [edit, expected] : cases) {
        edit();
        NarrateField();
        EXPECT_NE(said.find(expected), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace rf
