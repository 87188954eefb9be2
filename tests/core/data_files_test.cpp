#include "core/data_files.h"

#include <cstring>

#include "core/world_folder.h"
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

// One number a line, Windows line ends, a tab and numbers beyond the record.
// (The order of the fields is in every recorded game's screens and records.)
TEST_F(DataFilesTest, HeroFileIsReadWhateverTheLayout) {
    std::string text = "Hero 100 12 10 8 6 9 60 5 1 0 0 0 0 1 3 2 2 3 1 20 10";
    for (auto& c : text) c = c == ' ' ? '\n' : c;
    ASSERT_EQ(LoadHero(text + "\r\n\t 99 98 97\n"), 1);
    EXPECT_STREQ(hero.name, "Hero");
    EXPECT_EQ(hero.fieldY, 10);  // the last field
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

// Loading stops at the first missing file; a kind loaded before it has its
// hit points in every battle slot.
TEST_F(DataFilesTest, EnemyAndAbilityTablesStopAtTheFirstMissingFile) {
    for (const char* kind : {"Pawn", "Bishop", "Rook", "Queen", "King"})
        dir.WriteText(std::string("Enemy_Info/") + kind + "_Status_Info.txt",
                      std::string(kind) + " 1 ◎ 0 7 10 5 4 3 2 1 0\n");
    EXPECT_EQ(LoadAllEnemyStatus(), 0);
    EXPECT_EQ(enemyTable.kinds[0].hpSlots[6], 10);
    for (int k = 1; k < 6; ++k) EXPECT_STREQ(enemyTable.kinds[k].name, "") << k;
    for (const char* line : {"SwordCut 0 3 2", "Flame 0 4 1", "HellFlame 0 9 1"})
        dir.WriteText(std::string("Abilities/") + std::string(line).substr(0, std::strcspn(line, " ")) + ".txt", line);
    EXPECT_EQ(LoadAllAbilities(), 0);
    EXPECT_EQ(abilityTable.abilities[1].accuracy, 1);
    EXPECT_STREQ(abilityTable.abilities[3].name, "");  // after the missing BigRevolveSword
}

}  // namespace
}  // namespace rf
