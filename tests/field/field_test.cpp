// The field: its screen, the hero's steps on it, and the field in words
// (the ways out of the hero's cell, the map's signs and its enemies, as a
// screen reader is told them on arriving); the enemies' turns, encounters
// and the main loop; the map files, with the default world they ship as;
// and the field menu, the message paces and the extra keys, headless on
// copies of the default world.
#include "field/field_enemies.h"
#include "field/field_menu.h"
#include "field/field_view.h"
#include "field/map_files.h"

#include <array>
#include <tuple>

#include "console/console.h"
#include "console/message_window.h"
#include "core/texts.h"
#include "field/hero_movement.h"
#include "field/missing_file.h"
#include "field_support.h"
#include "game_scenarios.h"
#include "platform/backend.h"
#include "platform/console_session.h"
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
        EXPECT_EQ((std::array{hero.mapNumber, hero.fieldX, hero.fieldY}), (std::array{c.nmap, c.nx, c.ny}));
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
    void Sign(int x, int y) {
        const std::string sign = test::ToCp932("キング 門");
        std::memcpy(&Cell(1, x, y), sign.data(), sign.size());
    }
    std::function<void()> Enemy(FieldEnemy e) {
        return [this, e] { SetEnemies({e}); };
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
         "マップ1　レベル3　HP52。上に10歩で壁、下に10歩で次のマップ、左に10歩で壁、右に20歩で次のマップ。下のマップ4"
         "へ10歩、まず下に10。右のマップ2へ20歩、まず右に20。敵はいない。"},
        {[this] {
             Wall(1, 22, 10), Wall(1, 20, 9);
             SetEnemies({{1, 3, 26, 12}, {1, 1, 20, 10}});
         },
         // The way round the wall on the right begins with a step down.
         "右は壁。下のマップ4へ10歩、まず下に10。右のマップ2へ21歩、まず下に1。ポーン：下に2、右に3。ポーン：すぐそば"
         "。"},
        {[this] { Sign(3, 2); }, "看板「キング 門」。"},
        // The same in English, the world's own names kept where it has no
        // translation.
        {[] { language = static_cast<std::int16_t>(LanguageIndex("en")); },
         "right: a wall. Way down to map 4: 10 away, first 10 down. Way right to map 2: 21 away, first 1 down. Sign: "
         "\"キング 門\". ポーン: 2 down; 3 right. ポーン: right here. "},
    };
    for (const auto& [edit, expected] : cases) {
        edit();
        NarrateField();
        EXPECT_NE(said.find(expected), std::string::npos) << said;
    }
}

// After a step only what changed and matters is said; the field said
// whole first, as arriving says it. "" when nothing is said.
TEST_F(SurroundingsTest, AStepSaysOnlyWhatChanged) {
    const struct {
        const char* name;
        std::int16_t x, y;
        std::function<void()> place;  // walls, signs and enemies
        std::function<void()> act;
        const char* expected;
    } cases[] = {
        {"a bump", 20, 10, [this] { Wall(1, 22, 10); }, [] { MoveHero(kKeyRight); }, "右は壁。"},
        {"a step with nothing new", 20, 10, [] {}, [] { MoveHero(kKeyLeft); }, ""},
        {"a way off the map in reach", 20, 16, [] {}, [] { MoveHero(kKeyDown); }, "下への出口：下に2。"},
        {"a sign passed", 20, 10, [this] { Sign(8, 9); }, [] { MoveHero(kKeyLeft); }, "看板「キング 門」。"},
        {"a step away from a way off the map", 20, 15, [] {}, [] { MoveHero(kKeyUp); }, ""},
        {"an enemy coming into reach", 20, 10, Enemy({1, 1, 20, 19}),
         [] { fieldEnemies.entries[0].y = 17, NarrateApproach(); }, "ポーンが近づく：下に7。"},
        {"an enemy in reach, nearer", 20, 10, Enemy({1, 1, 20, 17}),
         [] { fieldEnemies.entries[0].y = 13, NarrateApproach(); }, ""},
        {"an enemy about to reach the hero", 20, 10, Enemy({1, 1, 26, 10}),
         [] { fieldEnemies.entries[0].x = 23, NarrateApproach(); }, "ポーンがすぐそこ：右に1。"},
        {"in English", 20, 10,
         [this] {
             Wall(1, 22, 10);
             language = static_cast<std::int16_t>(LanguageIndex("en"));
         },
         [] { MoveHero(kKeyRight); }, "right: a wall. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();  // a bare map 1
        hero.fieldX = c.x, hero.fieldY = c.y;
        c.place();
        NarrateField();
        said.clear();
        c.act();
        EXPECT_EQ(said, c.expected);
    }
}

class FieldEnemiesTest : public test::FieldTest {
protected:
    int Turn(int i) { return EnemyTurn(Of(i).kind, Of(i).x, Of(i).y, Of(i).groupSize); }
    std::string Pos(int i) { return std::to_string(Of(i).x) + "," + std::to_string(Of(i).y); }
    FieldEnemy& Of(int i) { return fieldEnemies.entries[i]; }
};

// The hero stands at (20, 10) of map 5.
TEST_F(FieldEnemiesTest, ChaseRuleWithBlockedSteps) {
    const struct {
        int kind, x, y, wallX, wallY;
        const char* after;
        std::int64_t slept;
        const char* drawn;  // at the enemy's cell afterwards
    } cases[] = {
        {65540, 30, 10, 0, 0, "28,10", 130, "□"},  // dx 10, dy 0: one step left; the kind taken as 16 bits
        {4, 30, 16, 0, 0, "28,15", 260, "□"},      // dx 10, dy 6: left, then up
        {0, 30, 14, 0, 0, "28,14", 130, "△"},      // dy 4: left only; kind 0 walks as a Knight
        {7, 20, 14, 0, 0, "20,13", 130, "□"},      // dx 0: up; kind 7 as a Rook
        {1, 21, 11, 0, 0, "19,11", 130, "◎"},      // one column off: crosses over...
        {1, 19, 11, 0, 0, "21,11", 130, "◎"},      // ...and back
        {1, 30, 16, 29, 16, "30,14", 260, "◎"},    // left blocked: up instead
        {1, 22, 16, 20, 15, "18,16", 260, "◎"},    // up blocked: left again
        {2, 0, 0, 1, 0, "0,0", 260, " #"},         // an empty entry neither moves nor blanks the top-left
    };
    hero.mapNumber = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        headless::Reset();
        Cell(5, 29, 16) = Cell(5, 20, 15) = ' ';
        if (c.wallX) Wall(5, c.wallX, c.wallY);
        SetEnemies({{c.kind, 1, c.x, c.y}});
        DrawField();
        EXPECT_EQ(Turn(0), kTurnDone);
        EXPECT_EQ(Pos(0), c.after);
        EXPECT_EQ(headless::SleptMs(), c.slept);
        EXPECT_EQ(At(Of(0).x, Of(0).y), c.drawn);
    }
}

// An enemy's or the hero's old cells show what is there without it.
TEST_F(FieldEnemiesTest, OldCellsShowWhatTheFieldHolds) {
    const struct {
        const char* what;
        std::initializer_list<FieldEnemy> enemies;
        int heroX, heroY, mover;  // mover -1: the hero steps left
        int x, y;                 // the old cells, checked afterwards
        const char* shown;
    } cases[] = {
        // Left blocked, it steps down off the right half of ■ and the # beside it.
        {"a wall half under it", {{1, 1, 30, 10}}, 20, 11, 0, 29, 10, "■# "},
        {"another enemy", {{1, 1, 28, 10}, {4, 1, 28, 10}}, 10, 10, 1, 28, 10, "◎"},
        {"an enemy under the hero", {{1, 1, 30, 11}}, 30, 11, -1, 30, 11, "◎"},
        {"the Queen's mark under the hero", {}, 30, 5, -1, 30, 5, "Ω"},
    };
    hero.mapNumber = 5;
    worldInfo.queenMark = {5, 31, 6};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        headless::Reset();
        Cell(5, 29, 10) = 0x81, Cell(5, 30, 10) = 0xA1, Cell(5, 31, 10) = '#';  // ■ then #
        SetEnemies(c.enemies);
        hero.fieldX = static_cast<std::int16_t>(c.heroX), hero.fieldY = static_cast<std::int16_t>(c.heroY);
        DrawField();
        DrawCurrentPieceMark();
        DrawSymbolAt("●"_sj, hero.fieldX, hero.fieldY);  // the hero on top, as after walking there
        if (c.mover < 0) MoveHero(kKeyLeft);
        else Turn(c.mover);
        EXPECT_EQ(At(c.x, c.y, static_cast<int>(test::ToCp932(c.shown).size())), c.shown);
    }
    EXPECT_EQ(AttrAt(30, 5), 15);
}

TEST_F(FieldEnemiesTest, MapChangeDuringAWaitEndsTheTurn) {
    hero.fieldX = 57;
    EnemyList(2, "1\n3 2 30 10\n");
    SetEnemies({{4, 1, 40, 10}});
    DrawField();
    headless::Key(kKeyRight, 50);
    EXPECT_EQ(Turn(0), kTurnDone);
    ASSERT_EQ(fieldEnemies.count, 1);
    // Map 2's Bishop stays where its file puts it.
    EXPECT_EQ(Pos(0) + At(30, 10) + At(40, 10), "30,10○  ");
}

// Every battle ends with the first blow and its keys are queued, so these
// tests hold whatever battle runs behind RunBattle. (Contact at zero
// columns, the entry after the one fought waiting for the next pass, and
// keys typed before the battle screen stands dropped, are in every
// recorded game.)
class EncounterTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        hero.mapNumber = 5;
        hero.maxHp = hero.hp = 30, hero.attack = 50, hero.level = 1, hero.nextExp = 4'000'000'000u;
        hero.defence = hero.magicDefence = hero.speed = 10;
        abilityTable.abilities[0] = AbilityInfo{"Sword", 0, 1, 1};
        for (EnemyStatus& e : enemyTable.kinds) e.maxHp = e.attack = e.defence = e.magicDefence = 1;
        for (int x = 0; x < 60; ++x) Wall(5, x, 0);  // tells a redraw from what was there
        headless::RunUntil(600'000);
    }
    // Per foe: fight, target, strike; then experience and victory, and one
    // more for the field's own poll before the turn.
    void QueueBattleKeys(int groupSize) {
        for (int i = 0; i < 3 * groupSize + 3; ++i) headless::Key(kKeyEnter);
    }
    void ExpectFieldScreen() {
        EXPECT_EQ(Row(0, 10, 49) + Row(3, 69, 3) + Row(21, 0, 3) + At(20, 10), std::string(49, '#') + "_|_＞+●");
    }
};

// The redraw after a battle brings back a mark that was on the screen; one
// never shown (a start map's) stays off, and a mover crossing its cell does
// not show it.
TEST_F(EncounterTest, LastEnemyFoughtAndTheRedrawShowsOnlyAMarkThatWasShown) {
    for (bool shown : {true, false}) {
        SetUp();
        worldInfo.queenMark = {5, 31, 6}, worldInfo.opening = {5, 1, 0};
        if (shown) DrawCurrentPieceMark();
        SetEnemies({{4, 7, 21, 10}});
        QueueBattleKeys(7);
        MainLoopPass();
        EXPECT_EQ(fieldEnemies.count, 0);
        ExpectFieldScreen();
        RestoreFieldCells(29, 5, 4);
        EXPECT_EQ(At(30, 5) + std::to_string(AttrAt(30, 5)), shown ? "Ω15" : "  7");
        EXPECT_EQ(Cell(5, 5, 0), shown ? ' ' : Cell(5, 5, 0));  // the strip stays as it was
    }
}

// What the game makes of an enemy list's count, kinds, groups and cells
// beyond the map is the world checker's test.
using MapFilesTest = test::FieldTest;

// A start map outside the world has no enemy list: the missing-file stop,
// whatever files the folder holds.
TEST_F(MapFilesTest, SixtyCharacterLineShiftsLaterRowsEmptyPictureIsFreeAndStartMapOutsideStops) {
    std::string pic;
    for (int y = 0; y < 20; ++y) pic += std::string(y == 3 ? 60 : 59, static_cast<char>('A' + y)) + "\n";
    for (int n = 2; n <= 9; ++n) dir.Write("map_form/map1/" + std::to_string(n) + ".txt", "");
    dir.Write("map_form/map1/1.txt", pic);
    dir.Write("map_info/map1.txt", "5 31 10\n9 11 6\n8 21 1\n12\n");
    dir.Write("map_info/map1/12.txt", "0\n");
    Cell(2, 10, 10) = '#';
    LoadMapForms(worldNumber);
    auto row = [&](int map, int y) { return std::string(reinterpret_cast<const char*>(&Cell(map, 0, y)), 60); };
    // Row 3's line feed lands in column 0 of row 4.
    EXPECT_EQ(row(1, 3) + row(1, 19), std::string(60, 'D') + " " + std::string(59, 'T'));
    EXPECT_EQ(row(2, 10), std::string(60, ' '));
    EXPECT_EQ(hero.mapNumber, 12);
    try {
        LoadMapEnemies(worldNumber);
        ADD_FAILURE() << "no stop";
    } catch (const headless::ExitCalled& e) {
        EXPECT_EQ(e.status, -1);
    }
    EXPECT_EQ(headless::PrintedError(), "ranks: map_info/map1/12.txt: missing\n");
}

// The stop ends at the 30th tick of the seconds clock after the second it
// noted: 29 to 30 s after the notice, as the original's clock loop ends.
TEST_F(MapFilesTest, MissingFileStopEndsAtTheThirtiethTick) {
    for (int into : {0, 400, 990}) {
        headless::Reset();
        platform::Sleep(static_cast<std::uint32_t>(into));
        const std::int64_t from = headless::NowMs();
        EXPECT_THROW(StopForMissingFile(), headless::ExitCalled);
        const std::int64_t took = headless::NowMs() - from;
        EXPECT_GE(took, 30'000 - into) << into;
        EXPECT_LE(took, 30'000 - into + 10) << into;
    }
}

// The world that ships with the game (its maps are all reachable: the
// world checker's test finds no warning on it).
using DefaultWorldTest = test::GameTest;

// The opening: no enemy reaches a hero who stands still in the start room;
// walking right to its wall ends in a short step above the door, and the
// first enemy met outside is a single Pawn. The room's sign tells who opens
// the King's gate, where the Queen is, and that enemies grow stronger
// farther away.
TEST_F(DefaultWorldTest, IdleHeroIsSafeAndTheWayOutTeachesTheShortStepAndAnEasyBattle) {
    test::NewGameOn(RANKS_WORLD_DIR);
    EXPECT_NE(Row(1, 0, 40).find("キングの門はクイーンが開く"), std::string::npos);
    EXPECT_NE(Row(2, 0, 40).find("クイーンは南の果てにいる"), std::string::npos);
    EXPECT_EQ(worldInfo.queenMark.map, 8);  // the southern end, as the sign and the mini-map say
    headless::RunUntil(60'000);
    headless::SetLimits(50'000'000, 60'000);
    EXPECT_THROW(MainLoop(), headless::Watchdog);
    ASSERT_EQ(fieldEnemies.count, 3);
    std::int64_t at = headless::NowMs();
    for (int i = 0; i < 11; ++i) headless::Arrow(kKeyRight, at += 200);
    for (int i = 0; i < 4; ++i) headless::Arrow(kKeyDown, at += 200);
    for (int i = 0; i < 200; ++i) headless::Key(kKeyEnter);
    headless::RunUntil(at + 600'000);
    headless::SetLimits(50'000'000, at + 600'000);
    int fought = -1;
    headless::SetKeyObserver([&] {
        if (battle.remaining != 0 && fought < 0) fought = battle.remaining;
    });
    for (int passes = 0; fieldEnemies.count == 3 && passes < 2000; ++passes) MainLoopPass();
    headless::SetKeyObserver(nullptr);
    EXPECT_EQ(fieldEnemies.count, 2);
    EXPECT_EQ(fought, 1);
    EXPECT_EQ(hero.fieldX, 29);  // 28 and a short step
    EXPECT_EQ(hero.fieldY, 8);   // through the door
}

// A play-test on the Queen's map starts as walking in would: her mark
// drawn and the strip open; the world's own start draws none.
TEST_F(DefaultWorldTest, StartOnTheQueensMapDrawsHerMarkAndOpensTheStrip) {
    for (int map : {0, 8}) {
        test::NewGameOn(RANKS_WORLD_DIR, {.map = map});
        EXPECT_EQ(Row(worldInfo.queenMark.y - 1, worldInfo.queenMark.x - 1, 2) == "Ω", map == 8) << map;
        EXPECT_EQ(pieceMarkOnScreen, map == 8);
        EXPECT_EQ(GridCell(OriginColumn(9) + 30, OriginRow(9)) == ' ', map == 8);  // the strip of map 9
    }
}

class FieldMenuTest : public test::GameTest {
protected:
    // The default world with one Pawn, the hero at (x, y).
    void StartWorld(scenario::World kind, int x = 8, int y = 4) {
        scenario::MakeWorld(RANKS_WORLD_DIR, scratch.Path() / "w", kind, x, y);
        dataRoot = (scratch.Path() / "w").string();
        StartUp();
    }
    std::vector<platform::Cell> Cells() {
        std::vector<platform::Cell> cells;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 80; ++x) cells.push_back(Screen().At(x, y));
        return cells;
    }
    std::string Text(int page) {
        std::vector<std::string> lines;
        PageLines(page, 3725, "", lines);
        std::string all;
        for (const std::string& l : lines) all += Cp932ToUtf8(l) + "\n";
        return all;
    }
    test::TempDir scratch;
};

// Every page drawn and left; the field comes back cell for cell, with its
// colours, and while the menu is open no enemy walks and no time passes.
TEST_F(FieldMenuTest, OpensOnSpaceOrEscAndGivesBackTheFieldWithNothingMoved) {
    for (int opener : {kKeySpace, kKeyEscape}) {
        SetUp();
        StartWorld(scenario::World::kOnePawn, 24, 10);
        const auto before = Cells();
        const std::int64_t openedAt = headless::NowMs();
        headless::Key(opener, headless::NowMs());
        for (int page = 0; page < kMenuPages; ++page) headless::Arrow(kKeyRight);
        headless::Key(opener);
        std::vector<std::string> tabs;
        headless::SetKeyObserver([&] { tabs.push_back(Row(1, 0, 60)); });
        PollHeroKey();
        headless::SetKeyObserver(nullptr);
        EXPECT_EQ(headless::NowMs(), openedAt);
        EXPECT_EQ(fieldEnemies.entries[0].x, 30);
        EXPECT_TRUE(Cells() == before);
        ASSERT_EQ(tabs.size(), 14u);
        EXPECT_NE(tabs[1].find("つよさ"), std::string::npos);
    }
}

// What the pages tell: the hero, the journey, the items' counts and
// effects, the abilities and the next one, the keys and the world's signs.
TEST_F(FieldMenuTest, PagesTellTheHeroTheJourneyItemsAbilitiesAndTheSigns) {
    StartWorld(scenario::World::kNoEnemies);
    EXPECT_EQ(journey.mapsVisited, 1);  // the start map, as soon as the game starts
    hero.level = 12, hero.exp = 100, hero.nextExp = 130;
    journey = {0, -1, 3, 1, 2, 0b1011, true, false};
    itemEffects.slots[TimedEffectOf(kProtein)][0].turnsLeft = 7;
    const std::pair<int, std::vector<const char*>> kCases[] = {
        {kStatusPage,
         {"レベル 12", "つぎのレベルまで  30", "1:02:05", "勝ち 3  負け 1  にげた 2", "3 / 9",
          "クイーン          みた  キング まだ", "プロテイン あと4"}},
        {kItemsPage, {"ポーション  5こ   体力を回復する 20", "攻撃力アップ +5 5ターンほど"}},
        {kAbilitiesPage, {"大回転斬り    威力 4   命中 3", "レベル 18 で"}},
        {kHowToPage, {"h j k l", "クイーンは南の果てにいる"}},
        {kSettingsPage, {"キーで送る", "言語 Language     [日本語]   English"}},
    };
    for (const auto& [page, shown] : kCases)
        for (const char* s : shown) EXPECT_NE(Text(page).find(s), std::string::npos) << s << "\n" << Text(page);
}

// h j k l and the keypad's digits come as the arrows unless turned off or
// classic; capital H P K M stay the arrows' scan codes, and so does a digit
// after a prefix (Alt+M is 0 and 0x32, never Down); `l` walks right; on a
// classic field Space and Esc open no menu.
TEST_F(FieldMenuTest, ExtraKeysActAsArrowsUnlessTurnedOff) {
    struct Case {
        int prefix;  // typed before, or -1
        int typed;
        bool on, classic;
        int read;
    };
    const Case kCases[] = {
        {-1, 'h', true, false, kKeyLeft},  {-1, 'j', true, false, kKeyDown},  {-1, 'k', true, false, kKeyUp},
        {-1, 'l', true, false, kKeyRight}, {-1, '8', true, false, kKeyUp},    {-1, '2', true, false, kKeyDown},
        {-1, '4', true, false, kKeyLeft},  {-1, '6', true, false, kKeyRight}, {-1, 'l', false, false, 'l'},
        {-1, '8', false, false, '8'},      {-1, 'M', true, false, kKeyRight}, {-1, 'x', true, false, 'x'},
        {0, '2', true, false, '2'},        {224, '4', true, false, '4'},      {-1, 'k', true, true, 'k'},
    };
    for (const Case& c : kCases) {
        settings.extraKeys = c.on, settings.classic = c.classic;
        if (c.prefix >= 0) headless::Key(c.prefix);
        headless::Key(c.typed);
        if (c.prefix >= 0) {
            EXPECT_EQ(ReadKey(), c.prefix);
        }
        EXPECT_EQ(ReadKey(), c.read) << static_cast<char>(c.typed) << c.on << c.classic;
    }
    settings.classic = true;
    StartWorld(scenario::World::kNoEnemies, 20, 10);
    const auto before = Cells();
    headless::Key(kKeySpace, headless::NowMs());
    headless::Key(kKeyEscape, headless::NowMs());
    PollHeroKey();
    PollHeroKey();
    EXPECT_TRUE(Cells() == before);
    settings.classic = false;
    settings.extraKeys = true;
    StartWorld(scenario::World::kNoEnemies, 20, 10);
    headless::Key('l', headless::NowMs());
    PollHeroKey();
    EXPECT_EQ(hero.fieldX, 22);
}

struct BattleRun {
    std::vector<std::string> messages;
    int messageKeys = 0;  // keys given while a message waited
    std::uint32_t exp = 0, randomState = 0, won = 0;
    std::int16_t hp = 0;
};

// One battle, fought with Enter (fight, the first target, the first
// ability) and Enter for every message that waits for one.
BattleRun Battle(MessagePace pace, const std::filesystem::path& world) {
    ResetGameState();
    headless::Reset(1'700'000'000);
    scenario::MakeWorld(RANKS_WORLD_DIR, world, scenario::World::kOnePawn, 8, 10);
    dataRoot = world.string();
    settings.pace = pace;
    BattleRun run;
    headless::SetPresentObserver([&] {
        const std::string& m = messageWindow.history[0];
        if (scenario::InBattle() && m != " " && (run.messages.empty() || run.messages.back() != m))
            run.messages.push_back(m);
    });
    headless::SetKeySupplier([&] {
        if (journey.battlesWon + journey.battlesLost + journey.battlesFled > 0) return;
        if (headless::RowUtf8(13, 76, 2) == "▼") ++run.messageKeys;
        headless::Key(kKeyEnter);
    });
    headless::SetLimits(50'000'000, 3'600'000);
    try {
        StartUp();
        for (;;) MainLoopPass();
    } catch (const headless::ScriptEnded&) {
    }
    headless::SetPresentObserver(nullptr);
    headless::SetKeySupplier(nullptr);
    run.exp = hero.exp, run.randomState = battleRandom.state, run.won = journey.battlesWon, run.hp = hero.hp;
    return run;
}

// The same battle at every pace: the same messages, draws and result; at
// the auto pace no message waits for a key, at the others each shows the
// waiting mark.
TEST_F(FieldMenuTest, EveryPaceFightsTheSameBattleAutoNeedsNoKeyForMessages) {
    const BattleRun wait = Battle(MessagePace::kWait, scratch.Path() / "w1");
    ASSERT_EQ(wait.won, 1u);
    EXPECT_GE(wait.messageKeys, 3);
    for (MessagePace pace : {MessagePace::kAuto, MessagePace::kInstant}) {
        const BattleRun other = Battle(pace, scratch.Path() / "w2");
        // Instant messages that wait for none are overwritten before a frame shows them.
        if (pace == MessagePace::kAuto) {
            EXPECT_EQ(other.messages, wait.messages);
        }
        EXPECT_EQ(std::tie(other.exp, other.randomState, other.hp), std::tie(wait.exp, wait.randomState, wait.hp));
        EXPECT_EQ(other.messageKeys, pace == MessagePace::kAuto ? 0 : wait.messageKeys);
    }
}

}  // namespace
}  // namespace rf
