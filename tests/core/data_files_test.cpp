#include "core/data_files.h"

#include <cstring>
#include <string>

#include "test_support.h"

namespace rf {
namespace {

class DataFilesTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = dir.Path().string();
    }
    int LoadHero(std::string_view bytes) {
        dir.Write("Hero_Info/Hero_Status_Info.txt", bytes);
        return LoadHeroStatus();
    }
    test::TempDir dir;
};

constexpr const char* kHeroLine = "Hero 100 12 10 8 6 9 60 5 1 0 0 0 0 1 3 2 2 3 1 20 10";

TEST_F(DataFilesTest, HeroFileFillsFieldsOneToFourteenOnlyWhateverTheLayout) {
    std::string spread = kHeroLine;
    for (auto& c : spread) c = c == ' ' ? '\n' : c;
    for (const std::string& text : {std::string(kHeroLine), spread + "\r\n\t 99 98 97\n"}) {
        hero = {};
        hero.mapNumber = 4;
        hero.savedDefence = 66;
        ASSERT_EQ(LoadHero(text), 1);
        EXPECT_STREQ(hero.name, "Hero");
        EXPECT_EQ(hero.speed + hero.exp + hero.items[2].count + hero.fieldY, 9 + 5 + 1 + 10u);
        EXPECT_EQ(hero.mapNumber, 4);
        EXPECT_EQ(hero.savedDefence, 66);
    }
}

TEST_F(DataFilesTest, NumbersKeepTheirLowBitsAndReadingStopsAtANonNumber) {
    LoadHero("Hero 65537 -1 +40000 99999999999999999999 0 0 4294967297 -1");
    // 99999999999999999999 wraps at 2^64 to low 16 bits 0xFFFF.
    EXPECT_EQ(std::vector<int>({hero.maxHp, hero.attack, hero.defence, hero.magicAttack}),
              std::vector<int>({1, -1, static_cast<std::int16_t>(40000), -1}));
    EXPECT_EQ(hero.nextExp, 1u);
    EXPECT_EQ(hero.exp, 0xFFFFFFFFu);
    for (const char* bad : {"x10", "-", "12a", "+-3", "1.5"}) {
        hero = {};
        EXPECT_EQ(LoadHero(std::string("Hero 5 ") + bad + " 7"), 1);
        EXPECT_EQ(std::vector<int>({hero.maxHp, hero.attack, hero.defence}), std::vector<int>({5, 0, 0})) << bad;
    }
}

// Any bytes load safely (the status-file fuzz target); names are cut to their fields.
TEST_F(DataFilesTest, NamesAreCutOutsideDoubleByteCharacters) {
    LoadHero(std::string(60000, 'N') + " 5");
    EXPECT_EQ(std::string(hero.name), std::string(15, 'N'));
    EXPECT_EQ(hero.maxHp, 5);
    // 8 full-width characters are 16 bytes: the hero keeps 7, not half of the 8th.
    LoadHero(test::ToCp932("あいうえおかきく 100"));
    EXPECT_EQ(std::string(hero.name), test::ToCp932("あいうえおかき"));
    EXPECT_EQ(hero.maxHp, 100);
}

TEST_F(DataFilesTest, EnemySlotsForTheFourFightingKindsOnlyAndTablesStopAtAMissingFile) {
    const char* names[] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};
    for (int k = 0; k < 6; ++k)
        dir.WriteText(std::string("Enemy_Info/") + names[k] + "_Status_Info.txt",
                      std::string(names[k]) + " " + std::to_string(k + 1) + " ◎ 0 7 " + std::to_string(10 * (k + 1)) +
                          " 5 4 3 2 1 0\n");
    ASSERT_EQ(LoadAllEnemyStatus(), 1);
    for (int k = 0; k < 6; ++k)
        for (int s = 0; s < 7; ++s) EXPECT_EQ(enemyTable.kinds[k].hpSlots[s], k < 4 ? 10 * (k + 1) : 0);
    EXPECT_EQ(enemyTable.kinds[0].target, 7);
    EXPECT_STREQ(enemyTable.kinds[5].name, "King");
    // Without the Knight the list stops there.
    enemyTable = {};
    std::filesystem::remove(dir.Path() / "Enemy_Info/Knight_Status_Info.txt");
    EXPECT_EQ(LoadAllEnemyStatus(), 0);
    EXPECT_EQ(enemyTable.kinds[0].hpSlots[6], 10);
    for (int k = 1; k < 6; ++k) EXPECT_STREQ(enemyTable.kinds[k].name, "") << k;
    // Abilities too load in table order and stop at the first missing file.
    for (const char* line : {"SwordCut 0 3 2", "Flame 0 4 1", "HellFlame 0 9 1"})
        dir.WriteText(std::string("Abilities/") + std::string(line).substr(0, std::strcspn(line, " ")) + ".txt", line);
    EXPECT_EQ(LoadAllAbilities(), 0);
    EXPECT_EQ(abilityTable.abilities[0].power, 3);
    EXPECT_EQ(abilityTable.abilities[1].accuracy, 1);
    EXPECT_STREQ(abilityTable.abilities[3].name, "");  // after the missing BigRevolveSword
}

}  // namespace
}  // namespace rf
