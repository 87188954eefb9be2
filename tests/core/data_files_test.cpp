#include "core/data_files.h"

#include <cstring>
#include <string>

#include "test_support.h"

namespace rf {
namespace {

using test::TempDir;

class DataFilesTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = dir.Path().string();
    }
    void WriteEnemy(const std::string& file, const std::string& utf8) { dir.WriteText("Enemy_Info/" + file, utf8); }
    void WriteAllEnemies() {
        const char* names[] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};
        for (int k = 0; k < 6; ++k)
            WriteEnemy(std::string(names[k]) + "_Status_Info.txt",
                       std::string(names[k]) + " " + std::to_string(k + 1) + " ◎ 0 7 " + std::to_string(10 * (k + 1)) +
                           " 5 4 3 2 1 0\n");
    }
    TempDir dir;
};

constexpr const char* kHeroLine = "Hero 100 12 10 8 6 9 60 5 1 0 0 0 0 1 3 2 2 3 1 20 10";

TEST_F(DataFilesTest, HeroFileFillsFieldsOneToFourteenOnly) {
    hero.mapNumber = 4;
    hero.hp = -3;
    hero.savedAttack = 77;
    hero.savedDefence = 66;
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", kHeroLine);
    ASSERT_EQ(LoadHeroStatus(), 1);
    EXPECT_STREQ(hero.name, "Hero");
    EXPECT_EQ(hero.maxHp, 100);
    EXPECT_EQ(hero.speed, 9);
    EXPECT_EQ(hero.nextExp, 60u);
    EXPECT_EQ(hero.exp, 5u);
    EXPECT_EQ(hero.level, 1);
    EXPECT_EQ(hero.items[0].number, 1);
    EXPECT_EQ(hero.items[0].count, 3);
    EXPECT_EQ(hero.items[2].count, 1);
    EXPECT_EQ(hero.fieldX, 20);
    EXPECT_EQ(hero.fieldY, 10);
    EXPECT_EQ(hero.mapNumber, 4);
    EXPECT_EQ(hero.hp, -3);
    EXPECT_EQ(hero.savedAttack, 77);
    EXPECT_EQ(hero.savedDefence, 66);
}

TEST_F(DataFilesTest, LineLayoutDoesNotMatterAndExtraNumbersAreIgnored) {
    std::string spread = kHeroLine;
    for (auto& c : spread)
        if (c == ' ') c = '\n';
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", spread + "\r\n\t 99 98 97\n");
    ASSERT_EQ(LoadHeroStatus(), 1);
    HeroStatus spreadOut = hero;
    hero = {};
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", kHeroLine);
    LoadHeroStatus();
    EXPECT_EQ(0, std::memcmp(&spreadOut, &hero, sizeof hero));
}

TEST_F(DataFilesTest, ReadingStopsAtTheFirstTokenThatDoesNotFit) {
    hero.fieldX = 42;
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "Hero 100 12 x10 8 6 9");
    EXPECT_EQ(LoadHeroStatus(), 1);
    EXPECT_EQ(hero.attack, 12);
    EXPECT_EQ(hero.defence, 0);
    EXPECT_EQ(hero.magicAttack, 0);
    EXPECT_EQ(hero.fieldX, 42);
    // A sign alone, a trailing letter or a second sign are not numbers.
    for (const char* bad : {"-", "12a", "+-3", "1.5"}) {
        hero = {};
        dir.WriteText("Hero_Info/Hero_Status_Info.txt", std::string("Hero 5 ") + bad + " 7");
        LoadHeroStatus();
        EXPECT_EQ(hero.maxHp, 5) << bad;
        EXPECT_EQ(hero.attack, 0) << bad;
    }
}

TEST_F(DataFilesTest, NumbersKeepTheirLowBits) {
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "Hero 65537 -1 +40000 99999999999999999999 0 0 4294967297 -1");
    LoadHeroStatus();
    EXPECT_EQ(hero.maxHp, 1);
    EXPECT_EQ(hero.attack, -1);
    EXPECT_EQ(hero.defence, static_cast<std::int16_t>(40000));
    // 99999999999999999999 mod 2^64 = 7766279631452241919, whose low 16 bits are 0xFFFF.
    EXPECT_EQ(hero.magicAttack, -1);
    EXPECT_EQ(hero.nextExp, 1u);
    EXPECT_EQ(hero.exp, 0xFFFFFFFFu);
}

TEST_F(DataFilesTest, MissingFileReturnsZeroAndLeavesTheRecord) {
    hero.attack = 9;
    EXPECT_EQ(LoadHeroStatus(), 0);
    EXPECT_EQ(hero.attack, 9);
}

TEST_F(DataFilesTest, HostileFilesNeverCrash) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) & 0xFF);
    std::string huge(1 << 20, '9');
    for (const std::string& content : {std::string(), std::string("Hero"), std::string("\x82"), junk, huge,
                                       std::string("\xFF\xFE\x00\x81", 4)}) {
        ResetGameState();
        dataRoot = dir.Path().string();
        dir.Write("Hero_Info/Hero_Status_Info.txt", content);
        EXPECT_EQ(LoadHeroStatus(), 1);
        EXPECT_LE(std::strlen(hero.name), 15u);
        dir.Write("Enemy_Info/Pawn_Status_Info.txt", content);
        EXPECT_EQ(LoadEnemyStatus(enemyTable.kinds[0], DataPath({"Enemy_Info", "Pawn_Status_Info.txt"})), 1);
        EXPECT_LE(std::strlen(enemyTable.kinds[0].name), 19u);
        EXPECT_LE(std::strlen(enemyTable.kinds[0].symbol), 3u);
    }
    // A 1 MB name token is cut to the field.
    ResetGameState();
    dataRoot = dir.Path().string();
    dir.Write("Hero_Info/Hero_Status_Info.txt", std::string(1 << 20, 'N') + " 5");
    LoadHeroStatus();
    EXPECT_EQ(std::string(hero.name), std::string(15, 'N'));
    EXPECT_EQ(hero.maxHp, 5);
}

TEST_F(DataFilesTest, OverlongNamesAreCutOutsideDoubleByteCharacters) {
    // 8 full-width characters are 16 bytes: the hero keeps 7 (14 bytes), not half of the 8th.
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "あいうえおかきく 100");
    LoadHeroStatus();
    EXPECT_EQ(std::string(hero.name), test::ToCp932("あいうえおかき"));
    EXPECT_EQ(hero.maxHp, 100);
    WriteEnemy("Pawn_Status_Info.txt", "ABCDEFGHIJKLMNOPQRSTUVWXYZ 1 ◎◎ 0 1 10");
    LoadEnemyStatus(enemyTable.kinds[0], DataPath({"Enemy_Info", "Pawn_Status_Info.txt"}));
    EXPECT_EQ(std::string(enemyTable.kinds[0].name), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(std::string(enemyTable.kinds[0].symbol), test::ToCp932("◎"));
    EXPECT_EQ(enemyTable.kinds[0].maxHp, 10);
    EXPECT_EQ(CutName("a\x82", 2), "a\x82");  // a lone lead byte at the end counts as one byte
}

TEST_F(DataFilesTest, EnemyFilesFillSlotsForTheFourFightingKindsOnly) {
    WriteAllEnemies();
    ASSERT_EQ(LoadAllEnemyStatus(), 1);
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 7; ++s) EXPECT_EQ(enemyTable.kinds[k].hpSlots[s], 10 * (k + 1));
    for (int k = 4; k < 6; ++k)
        for (int s = 0; s < 7; ++s) EXPECT_EQ(enemyTable.kinds[k].hpSlots[s], 0);
    EXPECT_EQ(enemyTable.kinds[0].target, 7);
    EXPECT_EQ(enemyTable.kinds[3].kind, 4);
    EXPECT_STREQ(enemyTable.kinds[5].name, "King");
}

TEST_F(DataFilesTest, MissingKnightStopsTheEnemyListThere) {
    WriteAllEnemies();
    std::filesystem::remove(dir.Path() / "Enemy_Info" / "Knight_Status_Info.txt");
    EXPECT_EQ(LoadAllEnemyStatus(), 0);
    EXPECT_STREQ(enemyTable.kinds[0].name, "Pawn");
    EXPECT_EQ(enemyTable.kinds[0].hpSlots[6], 10);
    for (int k = 1; k < 6; ++k) EXPECT_STREQ(enemyTable.kinds[k].name, "") << k;
}

TEST_F(DataFilesTest, AbilitiesLoadInTableOrderAndStopAtTheFirstFailure) {
    dir.WriteText("Abilities/SwordCut.txt", "SwordCut 0 3 2");
    dir.WriteText("Abilities/Flame.txt", "Flame 0 4 1");
    dir.WriteText("Abilities/HellFlame.txt", "HellFlame 0 9 1");
    EXPECT_EQ(LoadAllAbilities(), 0);
    EXPECT_STREQ(abilityTable.abilities[0].name, "SwordCut");
    EXPECT_EQ(abilityTable.abilities[0].power, 3);
    EXPECT_EQ(abilityTable.abilities[1].accuracy, 1);
    EXPECT_STREQ(abilityTable.abilities[3].name, "");  // after the missing BigRevolveSword
}

TEST_F(DataFilesTest, MissingFileStopShowsFourLinesAndExitsAfterThirtySeconds) {
    for (int i = 0; i < 50; ++i) headless::Key('x', i * 100);  // keys change nothing
    try {
        StopForMissingFile();
        FAIL() << "returned";
    } catch (const headless::ExitCalled& e) {
        EXPECT_EQ(e.status, -1);
    }
    EXPECT_GE(headless::NowMs(), 29000);
    EXPECT_LE(headless::NowMs(), 31000);
    EXPECT_EQ(Row(0, 0, 52), "ファイルが存在しないため情報の初期化に失敗しました。");
    EXPECT_EQ(Row(1, 0, 68), "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。");
    EXPECT_EQ(Row(2, 0, 62), "ファイルが見つからない場合はもう一度ダウンロードしてください。");
    EXPECT_EQ(Row(3, 0, 54), " 30 秒後に強制終了しますので手動で閉じないでください。");
    EXPECT_LT(headless::Polls(), 10u);  // it sleeps, it does not poll the keyboard
}

}  // namespace
}  // namespace rf
