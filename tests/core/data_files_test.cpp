// The world's files as the game reads them: the hero file in any layout,
// numbers as the game reads them, tables that stop at the first missing
// file; every loader against files that are no ordinary data (missing, a
// folder, a FIFO, an endless device, a file it may not read, a huge file),
// where status files leave their record empty and map files stop the game
// naming the file.
#include "core/data_files.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <fstream>

#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "field/map_files.h"
#include "test_support.h"

namespace rf {
namespace {

class DataFilesTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = dir.Path().string();
    }
    int LoadHero(std::string_view text) { return dir.Write("Hero_Info/Hero_Status_Info.txt", text), LoadHeroStatus(); }
    test::TempDir dir;
};

// One number a line, Windows line ends, a tab and numbers beyond the record.
// (The order of the fields is in every recorded game's screens and records.)
TEST_F(DataFilesTest, HeroFileIsReadWhateverTheLayoutAndItsNumbersKeepTheirLowBits) {
    std::string text = "Hero 100 12 10 8 6 9 60 5 1 0 0 0 0 1 3 2 2 3 1 20 10";
    for (auto& c : text) c = c == ' ' ? '\n' : c;
    ASSERT_EQ(LoadHero(text + "\r\n\t 99 98 97\n"), 1);
    EXPECT_STREQ(hero.name, "Hero");
    EXPECT_EQ(hero.fieldY, 10);  // the last field
    // Numbers keep their low bits, and reading stops at a non-number.
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

enum class Hostile { kMissing, kDirectory, kFifo, kEndless, kNoPermission, kHuge };

struct Loader {
    const char* file;
    bool stops;  // a map file: the game cannot go on without it
    int (*load)();
};

std::string PathOf(WorldFileKind kind) { return WorldFilePath({kind, 0}); }

const Loader kLoaders[] = {
    {"Hero_Info/Hero_Status_Info.txt", false, [] { return LoadHeroStatus(); }},
    {"Enemy_Info/Pawn_Status_Info.txt", false,
     [] { return LoadEnemyStatus(enemyTable.kinds[0], PathOf(WorldFileKind::kEnemy)); }},
    {"Abilities/SwordCut.txt", false,
     [] { return LoadAbilityInfo(abilityTable.abilities[0], PathOf(WorldFileKind::kAbility)); }},
    {"map_form/map1/1.txt", true, [] { return LoadMapForms(worldNumber), 1; }},
    {"map_info/map1.txt", true, [] { return LoadWorldInfo(PathOf(WorldFileKind::kWorldInfo)), 1; }},
    {"map_info/map1/1.txt", true, [] { return hero.mapNumber = 1, LoadMapEnemies(worldNumber), 1; }},
    {"mini_map/map1.txt", true, [] { return LoadMiniMap(worldNumber), 1; }},
};

// False where this system has no such file, or its user reads any file.
bool MakeHostile(const test::TempDir& dir, const std::string& relative, Hostile kind) {
    const auto path = dir.Path() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::remove_all(path);
    switch (kind) {
        case Hostile::kMissing: return true;
        case Hostile::kDirectory: return std::filesystem::create_directory(path);
#if defined(_WIN32)
        // No FIFOs or /dev/zero there, and a file kept from its owner needs an access list.
        case Hostile::kFifo:
        case Hostile::kEndless:
        case Hostile::kNoPermission: return false;
#else
        case Hostile::kFifo: return ::mkfifo(path.c_str(), 0600) == 0;
        case Hostile::kEndless: std::filesystem::create_symlink("/dev/zero", path); return true;
        case Hostile::kNoPermission:
            dir.Write(relative, "1 1 1 1 1 1 1 1 1 1");
            std::filesystem::permissions(path, std::filesystem::perms::none);
            return ::geteuid() != 0;
#endif
        case Hostile::kHuge: {
            std::ofstream out(path, std::ios::binary);
            const std::string block(1 << 20, '#');
            for (int i = 0; i < 50; ++i) out << block;
            return true;
        }
    }
    return false;
}

using HostileFileTest = test::GameTest;

TEST_F(HostileFileTest, StatusFilesStayEmptyAndMapFilesStopNamingTheFile) {
    // Each kind as the farewell line says it; empty when the file loads.
    const std::pair<Hostile, const char*> cases[] = {{Hostile::kMissing, "missing"},
                                                     {Hostile::kDirectory, "a directory"},
                                                     {Hostile::kFifo, "not a regular file"},
                                                     {Hostile::kEndless, "not a regular file"},
                                                     {Hostile::kNoPermission, "no permission"},
                                                     {Hostile::kHuge, ""}};
    for (const auto& [kind, why] : cases)
        for (const Loader& loader : kLoaders) {
            SCOPED_TRACE(testing::Message() << loader.file << ": " << why);
            test::TempDir dir;
            for (int n = 1; n <= 9; ++n) dir.Write("map_form/map1/" + std::to_string(n) + ".txt", "");
            dir.Write("map_info/map1.txt", "1 1 1 1 1 1 1 1 1 1\n");
            ResetGameState();
            headless::Reset();
            dataRoot = dir.Path().string();
            if (!MakeHostile(dir, loader.file, kind)) continue;
            int status = 0, result = -1;
            try {
                result = loader.load();
            } catch (const headless::ExitCalled& e) {
                status = e.status;
            }
            const bool loads = *why == '\0';
            if (loader.stops && !loads) {
                EXPECT_EQ(status, -1);
                EXPECT_EQ(headless::PrintedError(), std::string("ranks: ") + loader.file + ": " + why + "\n");
            } else {
                EXPECT_EQ(status, 0);
                EXPECT_EQ(result, loads ? 1 : 0);
                EXPECT_EQ(headless::PrintedError(), "");
            }
        }
}

}  // namespace
}  // namespace rf
