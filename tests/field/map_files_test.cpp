// Map files, and the default world they ship as.
#include "field/map_files.h"

#include <array>

#include "console/console.h"
#include "core/data_files.h"
#include "core/startup.h"
#include "field_support.h"

namespace rf {
namespace {

class MapFilesTest : public test::FieldTest {
protected:
    // Nine empty map pictures and the world info example.
    void SetUp() override {
        FieldTest::SetUp();
        for (int n = 1; n <= 9; ++n) dir.Write("map_form/map1/" + std::to_string(n) + ".txt", "");
        dir.Write("map_info/map1.txt", "5 31 10\n9 11 6\n8 21 1\n2\n");
    }
    std::string GridText(int map, int y) {
        std::string s;
        for (int x = 0; x < 60; ++x) s += static_cast<char>(Cell(map, x, y));
        return s;
    }
};

TEST_F(MapFilesTest, SixtyCharacterLineShiftsLaterRowsAndEmptyPictureIsFree) {
    std::string pic;
    for (int y = 0; y < 20; ++y) pic += std::string(y == 3 ? 60 : 59, static_cast<char>('A' + y)) + "\n";
    dir.Write("map_form/map1/1.txt", pic);
    Cell(2, 10, 10) = '#';
    LoadMapForms(worldNumber);
    // Row 3's line feed lands in column 0 of row 4.
    EXPECT_EQ(GridText(1, 3) + GridText(1, 19), std::string(60, 'D') + " " + std::string(59, 'T'));
    EXPECT_EQ(GridText(2, 10), std::string(60, ' '));
}

// A start map outside 1..9 is the world checker's test (played as map 1).
TEST_F(MapFilesTest, WorldInfoExample) {
    LoadMapForms(worldNumber);
    EXPECT_EQ((std::array{worldInfo.queenMark.map, worldInfo.queenMark.x, worldInfo.queenMark.y,
                          worldInfo.kingMark.map, worldInfo.kingMark.x, worldInfo.kingMark.y,
                          worldInfo.opening.map, worldInfo.opening.x, worldInfo.opening.unused, hero.mapNumber}),
              (std::array<std::int16_t, 10>{5, 31, 10, 9, 11, 6, 8, 21, 1, 2}));
}

// Long lists, kinds, groups and cells beyond the map: the world checker's cases.
TEST_F(MapFilesTest, EnemyListsShortAndOffTheMap) {
    struct Case {
        const char* text;
        int count;
        FieldEnemy last;  // entry count-1, or entry 0 when empty
    };
    const Case cases[] = {
        {"3\n1 3 10 5\n4 1 30 12\n", 3, {0, 0, 0, 0}},                        // missing entry stays empty
        {"-2\n1 1 10 3\n", 0, {0, 0, 0, 0}},
        {"1\n2 0 -6 25\n", 1, {2, 1, 0, 19}},                                  // clamped onto the field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EnemyList(1, c.text);
        LoadMapEnemies(worldNumber);
        ASSERT_EQ(fieldEnemies.count, c.count);
        const FieldEnemy& e = fieldEnemies.entries[c.count > 0 ? c.count - 1 : 0];
        EXPECT_EQ((std::array{e.kind, e.groupSize, e.x, e.y}),
                  (std::array{c.last.kind, c.last.groupSize, c.last.x, c.last.y}));
    }
}

// The world that ships with the game (its maps are all reachable: the
// world checker's test finds no warning on it).
class DefaultWorldTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = RANKS_WORLD_DIR;
    }
};

// The opening: no enemy reaches a hero who stands still in the start room;
// walking right to its wall ends in a short step above the door, and the
// first enemy met outside is a single Pawn. The room's sign tells who opens
// the King's gate.
TEST_F(DefaultWorldTest, IdleHeroIsSafeAndTheWayOutTeachesTheShortStepAndAnEasyBattle) {
    StartUp();
    EXPECT_NE(Row(1, 0, 40).find("キングの門はクイーンが開く"), std::string::npos);
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
    headless::SetKeyObserver([&] { if (battle.remaining != 0 && fought < 0) fought = battle.remaining; });
    for (int passes = 0; fieldEnemies.count == 3 && passes < 2000; ++passes) MainLoopPass();
    headless::SetKeyObserver(nullptr);
    EXPECT_EQ(fieldEnemies.count, 2);
    EXPECT_EQ(fought, 1);
    EXPECT_EQ(hero.fieldX, 29);  // 28 and a short step
    EXPECT_EQ(hero.fieldY, 8);   // through the door
}

}  // namespace
}  // namespace rf
