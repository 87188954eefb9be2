#include "field/map_files.h"

#include <array>
#include <string>

#include "core/data_files.h"
#include "field_support.h"

namespace rf {
namespace {

class MapFilesTest : public test::FieldTest {
protected:
    // Nine blank map form files, except map `special`.
    void WriteForms(int special = 0, const std::string& bytes = "") {
        std::string blank;
        for (int y = 0; y < 20; ++y) blank += std::string(59, ' ') + "\n";
        for (int n = 1; n <= 9; ++n)
            dir.Write("map_form/map1/" + std::to_string(n) + ".txt", n == special ? bytes : blank);
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
    WriteForms(1, pic);
    Cell(2, 10, 10) = '#';
    LoadMapForms(worldNumber);
    EXPECT_EQ(GridText(1, 2), std::string(59, 'C') + " ");
    EXPECT_EQ(GridText(1, 3), std::string(60, 'D'));
    // Row 3's line feed lands in column 0 of row 4.
    EXPECT_EQ(GridText(1, 19), " " + std::string(59, 'T'));
    WriteForms(2, "");
    LoadMapForms(worldNumber);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(GridText(2, y), std::string(60, ' ')) << y;
}

TEST_F(MapFilesTest, WorldInfoExampleAndStartMapOutsideTheWorld) {
    WriteForms();
    LoadMapForms(worldNumber);
    EXPECT_EQ((std::array{worldInfo.queenMark.map, worldInfo.queenMark.x, worldInfo.queenMark.y,
                          worldInfo.kingMark.map, worldInfo.kingMark.x, worldInfo.kingMark.y,
                          worldInfo.opening.map, worldInfo.opening.x, worldInfo.opening.unused, hero.mapNumber}),
              (std::array<std::int16_t, 10>{5, 31, 10, 9, 11, 6, 8, 21, 1, 2}));
    for (const char* start : {"0", "10", "-3", "65537"}) {
        dir.Write("map_info/map1.txt", std::string("5 31 10 9 11 6 8 21 1 ") + start);
        LoadWorldInfo(DataPath({"map_info", "map1.txt"}));
        EXPECT_EQ(hero.mapNumber, 1) << start;
    }
}

TEST_F(MapFilesTest, EnemyListsShortLongAndOffTheMap) {
    struct Case {
        const char* text;
        int count;
        FieldEnemy last;  // entry count-1, or entry 0 when empty
    };
    const Case cases[] = {
        {"3\n1 3 10 5\n4 1 30 12\n", 3, {0, 0, 0, 0}},                        // missing entry stays empty
        {"7\n1 1 10 3\n1 1 12 3\n1 1 14 3\n1 1 16 3\n1 1 18 3\n1 1 20 3\n", 5, {1, 1, 18, 3}},
        {"-2\n1 1 10 3\n", 0, {0, 0, 0, 0}},
        {"1\n1 2 70 3\n", 1, {1, 2, 58, 3}},                                   // clamped onto the field
        {"1\n2 0 -6 25\n", 1, {2, 1, 0, 19}},
        {"1\n3 9 59 -1\n", 1, {3, 7, 58, 0}},
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

TEST_F(MapFilesTest, KindsZeroAndSevenAreKnightAndRook) {
    EXPECT_EQ(std::string(EnemySymbolOf(0)) + std::string(EnemySymbolOf(7)), test::ToCp932("△□"));
    EXPECT_EQ(&EnemyRecordOf(65537), &enemyTable.kinds[0]);  // taken as 16 bits
}

}  // namespace
}  // namespace rf
