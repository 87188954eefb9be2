// Map files, and the default world they ship as.
#include "field/map_files.h"

#include "console/console.h"
#include "field/missing_file.h"
#include "field_support.h"
#include "platform/console_session.h"

namespace rf {
namespace {

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

}  // namespace
}  // namespace rf
