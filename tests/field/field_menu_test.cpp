// The field menu, the message paces and the extra keys, headless on
// copies of the default world.
#include "field/field_menu.h"

#include <tuple>

#include "console/console.h"
#include "console/message_window.h"
#include "field/hero_movement.h"
#include "game_scenarios.h"
#include "platform/player_files.h"
#include "saves/settings_file.h"
#include "test_support.h"
#include "text/cp932.h"

namespace rf {
namespace {

using test::GameTest;

class FieldMenuTest : public GameTest {
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
    itemEffects.proteinSlots[0].turnsLeft = 7;
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

// h j k l and the keypad's digits come as the arrows unless turned off;
// capital H P K M stay the arrows' scan codes; `l` walks right.
TEST_F(FieldMenuTest, ExtraKeysActAsArrowsUnlessTurnedOff) {
    const struct {
        int typed;
        bool on;
        int read;
    } kCases[] = {
        {'h', true, kKeyLeft}, {'j', true, kKeyDown}, {'k', true, kKeyUp},    {'l', true, kKeyRight},
        {'8', true, kKeyUp},   {'2', true, kKeyDown}, {'4', true, kKeyLeft},  {'6', true, kKeyRight},
        {'l', false, 'l'},     {'8', false, '8'},     {'M', true, kKeyRight}, {'x', true, 'x'},
    };
    for (const auto& c : kCases) {
        settings.extraKeys = c.on;
        headless::Key(c.typed);
        EXPECT_EQ(ReadKey(), c.read) << static_cast<char>(c.typed) << c.on;
    }
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
    EXPECT_GT(wait.messageKeys, 3);
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

// The settings file carries the pace, the keys and the look; what it does
// not know leaves the settings alone.
TEST_F(FieldMenuTest, SettingsFileCarriesThePaceTheKeysAndTheLook) {
    Settings s;
    s.pace = MessagePace::kInstant, s.extraKeys = false, s.consoleLook = true;
    Settings back;
    std::int16_t lang = 0;
    ParseSettings(ComposeSettings(s, 1) + "volume 11\nmessages fast\nlanguage xx\n", back, lang);
    EXPECT_EQ(lang, 1);
    EXPECT_TRUE(back.pace == MessagePace::kInstant && !back.extraKeys && back.consoleLook);
}

// The farewell names the game as it was started.
TEST_F(FieldMenuTest, FarewellNamesTheGameAsStarted) {
    const struct {
        const char* command;
        const char* said;
    } kCases[] = {
        {"ranks", "ranks --continue g.save"},
        {"./build/bin/ranks", "./build/bin/ranks --continue g.save"},
#ifdef _WIN32
        {"/opt/my games/ranks", "\"/opt/my games/ranks\" --continue g.save"},  // as cmd quotes
#else
        {"/opt/my games/ranks", "'/opt/my games/ranks' --continue g.save"},
#endif
        {"", "ranks --continue g.save"},
    };
    for (const auto& c : kCases) EXPECT_EQ(platform::HowToResume(c.command, "g.save", false), c.said);
}

}  // namespace
}  // namespace rf
