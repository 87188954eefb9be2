#include "field/map_files.h"

#include <string>

#include "core/data_files.h"
#include "field_support.h"

namespace rf {
namespace {

class MapFilesTest : public test::FieldTest {
protected:
    // Nine map form files of blank lines, except those given.
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

TEST_F(MapFilesTest, FullPictureFillsItsMapAndLeavesColumn59Blank) {
    std::string pic;
    for (int y = 0; y < 20; ++y) pic += std::string(59, static_cast<char>('A' + y)) + "\n";
    WriteForms(5, pic);
    LoadMapForms(worldNumber);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(GridText(5, y), std::string(59, static_cast<char>('A' + y)) + " ") << y;
    EXPECT_EQ(Cell(4, 59, 0), ' ');
    EXPECT_EQ(Cell(6, 0, 0), ' ');
}

TEST_F(MapFilesTest, SixtyCharacterLineShiftsEveryLaterRow) {
    std::string pic;
    for (int y = 0; y < 20; ++y) pic += std::string(y == 3 ? 60 : 59, static_cast<char>('A' + y)) + "\n";
    WriteForms(1, pic);
    LoadMapForms(worldNumber);
    EXPECT_EQ(GridText(1, 2), std::string(59, 'C') + " ");
    EXPECT_EQ(GridText(1, 3), std::string(60, 'D'));
    // The line feed of row 3 lands in column 0 of row 4; later rows start one cell late.
    EXPECT_EQ(GridText(1, 4), " " + std::string(59, 'E'));
    EXPECT_EQ(GridText(1, 19), " " + std::string(59, 'T'));
}

TEST_F(MapFilesTest, EmptyPictureIsAllFreeAndCarriageReturnsAndByte255AreDropped) {
    WriteForms(2, "");
    Cell(2, 10, 10) = '#';
    LoadMapForms(worldNumber);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(GridText(2, y), std::string(60, ' '));

    WriteForms(3, "ab\r\ncd\xff" "e\r\n");
    LoadMapForms(worldNumber);
    EXPECT_EQ(GridText(3, 0).substr(0, 8), "ab cd e ");
    EXPECT_EQ(GridText(3, 0).substr(8), std::string(52, ' '));
}

TEST_F(MapFilesTest, WorldInfoExample) {
    WriteForms();
    LoadMapForms(worldNumber);
    EXPECT_EQ(worldInfo.queenMark.map, 5);
    EXPECT_EQ(worldInfo.queenMark.x, 31);
    EXPECT_EQ(worldInfo.queenMark.y, 10);
    EXPECT_EQ(worldInfo.kingMark.map, 9);
    EXPECT_EQ(worldInfo.kingMark.x, 11);
    EXPECT_EQ(worldInfo.kingMark.y, 6);
    EXPECT_EQ(worldInfo.opening.map, 8);
    EXPECT_EQ(worldInfo.opening.x, 21);
    EXPECT_EQ(worldInfo.opening.unused, 1);
    EXPECT_EQ(hero.mapNumber, 2);
}

TEST_F(MapFilesTest, WorldInfoStopsAtBadTokenAndStartMapOutsideWorldBecomesMapOne) {
    dir.Write("map_info/map1.txt", "5 31 10\n9 x 6\n");
    worldInfo.kingMark.x = 44;
    LoadWorldInfo(DataPath({"map_info", "map1.txt"}));
    EXPECT_EQ(worldInfo.kingMark.map, 9);
    EXPECT_EQ(worldInfo.kingMark.x, 44);
    EXPECT_EQ(hero.mapNumber, 1);

    for (const char* start : {"0", "10", "-3", "65537"}) {
        dir.Write("map_info/map1.txt", std::string("5 31 10 9 11 6 8 21 1 ") + start);
        LoadWorldInfo(DataPath({"map_info", "map1.txt"}));
        EXPECT_EQ(hero.mapNumber, 1) << start;
    }
}

TEST_F(MapFilesTest, MissingMapFormStopsTheGameAfterTheFilesBeforeIt) {
    WriteForms(5, "X");
    std::filesystem::remove(dir.Path() / "map_form/map1/6.txt");
    EXPECT_THROW(LoadMapForms(worldNumber), headless::ExitCalled);
    EXPECT_EQ(Cell(5, 0, 0), 'X');
    EXPECT_EQ(Row(0, 0, 52), "ファイルが存在しないため情報の初期化に失敗しました。");
}

TEST_F(MapFilesTest, EnemyListsShortLongAndExample) {
    hero.mapNumber = 4;
    EnemyList(4, "2\n1 3 10 5\n4 1 30 12\n");
    LoadMapEnemies(worldNumber);
    ASSERT_EQ(fieldEnemies.count, 2);
    EXPECT_EQ(fieldEnemies.entries[0].kind, 1);
    EXPECT_EQ(fieldEnemies.entries[0].groupSize, 3);
    EXPECT_EQ(fieldEnemies.entries[0].x, 10);
    EXPECT_EQ(fieldEnemies.entries[0].y, 5);
    EXPECT_EQ(fieldEnemies.entries[1].kind, 4);
    EXPECT_EQ(fieldEnemies.entries[1].x, 30);
    EXPECT_EQ(fieldEnemies.entries[1].y, 12);

    EnemyList(4, "3\n1 3 10 5\n4 1 30 12\n");
    LoadMapEnemies(worldNumber);
    EXPECT_EQ(fieldEnemies.count, 3);
    EXPECT_EQ(fieldEnemies.entries[2].kind, 0);
    EXPECT_EQ(fieldEnemies.entries[2].x, 0);
    EXPECT_EQ(fieldEnemies.entries[2].y, 0);

    EnemyList(4, "0\n");
    LoadMapEnemies(worldNumber);
    EXPECT_EQ(fieldEnemies.count, 0);
    EXPECT_EQ(fieldEnemies.entries[0].kind, 0);
}

TEST_F(MapFilesTest, EnemyCountIsKeptWithinTheList) {
    std::string seven = "7\n";
    for (int i = 0; i < 7; ++i) seven += "1 1 " + std::to_string(10 + 2 * i) + " 3\n";
    EnemyList(1, seven);
    LoadMapEnemies(worldNumber);
    ASSERT_EQ(fieldEnemies.count, 5);
    EXPECT_EQ(fieldEnemies.entries[4].x, 18);

    EnemyList(1, "-2\n1 1 10 3\n");
    LoadMapEnemies(worldNumber);
    EXPECT_EQ(fieldEnemies.count, 0);
    EXPECT_EQ(fieldEnemies.entries[0].x, 0);
}

TEST_F(MapFilesTest, EnemiesOffTheFieldAreClampedAndGroupsKeptToSeven) {
    EnemyList(1, "4\n1 2 70 3\n2 0 -6 25\n3 9 59 -1\n4 -4 0 0\n");
    LoadMapEnemies(worldNumber);
    ASSERT_EQ(fieldEnemies.count, 4);
    const FieldEnemy* e = fieldEnemies.entries;
    EXPECT_EQ(e[0].x, 58);
    EXPECT_EQ(e[0].y, 3);
    EXPECT_EQ(e[1].x, 0);
    EXPECT_EQ(e[1].y, 19);
    EXPECT_EQ(e[1].groupSize, 1);
    EXPECT_EQ(e[2].x, 58);
    EXPECT_EQ(e[2].y, 0);
    EXPECT_EQ(e[2].groupSize, 7);
    // An empty entry stays as it is.
    EXPECT_EQ(e[3].groupSize, -4);
}

TEST_F(MapFilesTest, MissingEnemyListStops) {
    std::filesystem::remove(dir.Path() / "map_info/map1/3.txt");
    hero.mapNumber = 3;
    EXPECT_THROW(LoadMapEnemies(worldNumber), headless::ExitCalled);
}

TEST_F(MapFilesTest, KindLookup) {
    EXPECT_EQ(&EnemyRecordOf(1), &enemyTable.kinds[0]);
    EXPECT_EQ(&EnemyRecordOf(2), &enemyTable.kinds[1]);
    EXPECT_EQ(&EnemyRecordOf(0), &enemyTable.kinds[1]);
    EXPECT_EQ(&EnemyRecordOf(-5), &enemyTable.kinds[1]);
    EXPECT_EQ(&EnemyRecordOf(3), &enemyTable.kinds[2]);
    EXPECT_EQ(&EnemyRecordOf(4), &enemyTable.kinds[3]);
    EXPECT_EQ(&EnemyRecordOf(7), &enemyTable.kinds[3]);
    // Taken as 16 bits: 65537 is 1, 65536 is 0.
    EXPECT_EQ(&EnemyRecordOf(65537), &enemyTable.kinds[0]);
    EXPECT_EQ(&EnemyRecordOf(65536), &enemyTable.kinds[1]);
    EXPECT_EQ(EnemySymbolOf(7), "□"_sj);
    EXPECT_EQ(EnemySymbolOf(0), "△"_sj);
}

TEST_F(MapFilesTest, MiniMapPictureIsNineRowsOfTwentyCells) {
    std::string pic;
    for (int y = 0; y < 9; ++y) pic += std::string(19, static_cast<char>('a' + y)) + "\n";
    dir.Write("mini_map/map1.txt", pic);
    LoadMiniMap(worldNumber);
    for (int y = 0; y < 9; ++y) {
        EXPECT_EQ(miniMapText.text[y][0], 'a' + y);
        EXPECT_EQ(miniMapText.text[y][18], 'a' + y);
        EXPECT_EQ(miniMapText.text[y][19], ' ');
    }
}

}  // namespace
}  // namespace rf
