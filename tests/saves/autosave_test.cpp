// When the game is saved, through the real loops on the headless console:
// at map changes, after a battle and on a quit in battle (the state from
// before the encounter); and a save resumed as if the hero had just entered
// his map.
#include "saves/autosave.h"

#include <array>
#include <cstring>
#include <string>

#include "console/console.h"
#include "core/save_keeping.h"
#include "core/world_folder.h"
#include "platform/recording.h"
#include "program/resume.h"
#include "saves/save_files.h"
#include "test_support.h"

namespace rf::test {
namespace {

class SavedGameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = world.Path().string();
        saveKeeping.enabled = true, saveKeeping.world = "default", saveKeeping.worldDigest = "0000000000000000";
        saveKeeping.path = (folder.Path() / "game.save").string();
    }
    SaveData Saved() {
        SaveEntry entry = ReadSaveFile(saveKeeping.path);
        EXPECT_TRUE(entry.readable) << entry.error;
        return entry.data;
    }
    void Play() {
        try {
            StartUp();
            WriteSave();
            MainLoop();
        } catch (const headless::ScriptEnded&) {
        } catch (const headless::Watchdog&) {
        }
    }
    TempDir world{RANKS_RECORDINGS_WORLD};  // a pawn comes to the hero at once
    TempDir folder;
};

TEST_F(SavedGameTest, AQuitInBattleKeepsTheStateBeforeTheEncounterAndTheBattleIsSavedWhenOver) {
    // The pawn beside the start reaches the hero; he strikes once, hard.
    headless::SetLimits(200'000'000, 120'000);
    SaveData quitInBattle;
    bool quit = false;
    headless::SetKeyObserver([&] {
        if (quit || !saveKeeping.inBattle) return;
        quit = true, hero.attack = 999;
        SaveOnQuit();
        quitInBattle = Saved();
    });
    for (int i = 0; i < 60; ++i) headless::Key(kKeyEnter);
    Play();
    ASSERT_TRUE(quit);
    // Hit points as before the battle filled them.
    EXPECT_EQ((std::array{quitInBattle.hero.hp, quitInBattle.hero.level, quitInBattle.hero.attack}),
              (std::array<std::int16_t, 3>{0, 1, 8}));
    const SaveData after = Saved();
    EXPECT_EQ((std::array<std::int64_t, 3>{after.hero.level, after.hero.hp, after.hero.exp}),
              (std::array<std::int64_t, 3>{2, hero.hp, hero.exp}));
    EXPECT_FALSE(saveKeeping.inBattle);
}

TEST_F(SavedGameTest, MapChangesAreSavedAndAResumedHeroStandsAsIfHeHadJustEntered) {
    // No enemies, and empty pictures: every map free.
    for (int n = 1; n <= 9; ++n) world.Write("map_info/map1/" + std::to_string(n) + ".txt", "0\n");
    for (int n = 1; n <= 9; ++n) world.Write("map_form/map1/" + std::to_string(n) + ".txt", "");
    // Down into map 4, then into map 7, the Queen's.
    std::vector<SaveData> saves;
    headless::SetKeyObserver([&] { saves.push_back(Saved()); });
    // A quit during a scroll would save the old map with the old cell.
    int scrollFrames = 0;
    headless::SetPresentObserver([&] {
        if (!saveKeeping.changingMap) return;
        ++scrollFrames;
        const SaveData quit = CurrentSave();
        EXPECT_EQ(quit.hero.mapNumber * 100 + quit.hero.fieldY, (hero.mapNumber - 3) * 100 + 19);
    });
    for (int i = 0; i < 36; ++i) headless::Arrow(kKeyDown);
    Play();
    headless::SetPresentObserver(nullptr);
    EXPECT_GT(scrollFrames, 20);
    ASSERT_EQ(hero.mapNumber, 7);
    const SaveData last = Saved();
    EXPECT_EQ(last.hero.mapNumber * 100 + last.hero.fieldY, 700);
    EXPECT_TRUE(last.queenMarkShown && !last.kingMarkShown);
    // Saved at the start, on entering map 4 and on entering map 7, no more.
    saves.push_back(last);
    int writes = 1;
    for (std::size_t i = 1; i < saves.size(); ++i) writes += saves[i].hero.mapNumber != saves[i - 1].hero.mapNumber;
    EXPECT_EQ(writes, 3);

    // Save at the moment he entered map 7 and compare with the resumed screen.
    std::vector<std::string> entered = platform::HeadlessScreenLines();
    const WorldGrid grid = worldGrid;
    ResetGameState();
    headless::Reset();
    dataRoot = world.Path().string();
    ResumeGame(last);
    // All but the line that the way to the King is open: said once, on the first entry.
    const std::vector<std::string> resumed = platform::HeadlessScreenLines();
    EXPECT_NE(entered.at(20).find("キングへの道"), std::string::npos);
    entered.at(20) = resumed.at(20);
    EXPECT_EQ(resumed, entered);
    EXPECT_EQ(AttrAt(20, 7), 15);                               // the Queen's mark, highlighted
    EXPECT_EQ(std::memcmp(&grid, &worldGrid, sizeof grid), 0);  // the strip is open again
    EXPECT_EQ(fieldEnemies.loads, 1u);
}

}  // namespace
}  // namespace rf::test
