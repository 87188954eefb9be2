// Whole battles through RunBattle, driven by scripted keys with the clock
// fixed, so the generator's seed is known.
#include "battle/battle_driver.h"
#include "battle_fixtures.h"
#include "items/items.h"

#include <array>
#include <tuple>

namespace rf {
namespace {

constexpr std::int64_t kSecond = 1'234'567;

class BattleFlowTest : public test::BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        headless::Reset(kSecond);
    }
    // Plays the keys ('^' 'v' '<' arrows, 'e' Enter, 's' Space) into a battle of `size`.
    bool Run(int size, std::string_view keys = "") {
        for (char k : keys) {
            if (k == 'e' || k == 's') headless::Key(k == 'e' ? kKeyEnter : kKeySpace);
            else headless::Arrow(k == '^' ? kKeyUp : k == 'v' ? kKeyDown : kKeyLeft);
        }
        bool finished = false;
        RunScript([&] { finished = RunBattle(pawn, static_cast<std::int16_t>(size)) == 0; });
        return finished && headless::KeysLeft() == 0;
    }
};

TEST_F(BattleFlowTest, OpeningClampsTheGroupToOneToSevenAndHighlightsTheFirstBox) {
    for (auto [size, group] : {std::pair{3, 3}, {9, 7}, {0, 1}}) {
        SetUp();
        Run(size);  // stops in the command loop
        EXPECT_EQ(battle.remaining, group) << size;
    }
    EXPECT_EQ(AttrAt(9, 0), 15);
}

TEST_F(BattleFlowTest, FlightAndDefeatShowTheirMessageOnceAndClearTheBattle) {
    const struct {
        const char *keys, *message;
        std::int16_t heroSpeed, pawnSpeed, pawnAttack;
    } cases[] = {
        {"vvvee", "にげることに成功しました。", 1000, 0, 5},  // flee (P 2000 and more against Q 0), the outcome
        // Defend, GAME OVER, the outcome; the second Pawn does not strike after the fall.
        {"veee", "バトルに負けました。", 0, 100, 10000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SetUp();
        hero.speed = c.heroSpeed, pawn.speed = c.pawnSpeed, pawn.attack = c.pawnAttack;
        EXPECT_TRUE(Run(c.heroSpeed == 0 ? 2 : 1, c.keys));
        EXPECT_EQ(Line(1), c.message);
        const BattleState clear{};
        EXPECT_EQ(std::memcmp(&battle, &clear, sizeof battle), 0);
    }
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(hero.defence, 10);  // the doubling is undone also on a fall
}

TEST_F(BattleFlowTest, FailedFlightCostsATurn) {
    hero.speed = 0, pawn.speed = 10;  // P = 0 against Q = 28 and more
    hero.defence = 1000;
    // Protein (its message, the blow), back, flee, the blow, the failed flight's own acknowledgement.
    Run(1, "vveveeesveee");
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.commandCursor, 3);
    EXPECT_EQ(battle.actionCount, 4);  // item, blow, failed flight, blow
}

TEST_F(BattleFlowTest, DefendDoublesDefenceAndABucklerEndingInsideItLeavesNoTrace) {
    // No buckler: the blow meets 2 x 20; one ending in the turn's first aging
    // step: 2 x 20 too, in the second: 2 x 25.
    for (auto [turnsLeft, defenceMet] : {std::pair{0, 40}, {1, 40}, {2, 50}}) {
        SCOPED_TRACE(turnsLeft);
        SetUp();
        hero.speed = 0, pawn.speed = 100, pawn.attack = 400;  // every blow lands
        hero.defence = static_cast<std::int16_t>(defenceMet);
        SeedBattleRandom(static_cast<std::uint32_t>(kSecond));
        const int damage = test::Forecast(false, pawn).value_or(0);
        hero.defence = 20;
        if (turnsLeft > 0) {
            headless::Key(kKeyEnter);
            UseItem(kBuckler);
            itemEffects.bucklerSlots[0].turnsLeft = static_cast<std::int16_t>(turnsLeft);
        }
        headless::Reset(kSecond);
        Run(1, turnsLeft > 0 ? "veee" : "vee");  // defend, the blow and the buckler's end in either order
        EXPECT_EQ(headless::KeysLeft(), 0u);
        EXPECT_EQ((std::array{battle.actionCount, hero.hp, hero.defence, itemEffects.activeEffects}),
                  (std::array<std::int16_t, 4>{2, static_cast<std::int16_t>(100 - damage), 20, 0}));
    }
}

TEST_F(BattleFlowTest, LeavingMenusClearsTheirTitlesAndTakesNoTurn) {
    // Item and out, fight, ability menu, down and back to the targets with
    // Left, again, down and out with Space: the cursor goes back to the first.
    Run(2, "vve<^^eev<evs");
    EXPECT_EQ(battle.actionCount + battle.commandCursor + battle.abilityCursor, 0);
    EXPECT_EQ(Row(0, 54, 20) + Row(2, 54, 20), std::string(40, ' '));
    EXPECT_EQ(Row(7, 25, 26), std::string(26, ' '));
}

// Nobody seeing the console skips frames and typing, never what they lead to:
// the same battle ends at the same time, with the same records, the cursor
// where it was and the same keys taken, also with keys timed to come during
// the typing (which they hurry) and the pauses.
TEST_F(BattleFlowTest, AnUnseenBattleEndsAsASeenOne) {
    const struct {
        const char* keys;
        int size;
        std::int64_t timedFromMs;  // -1: none
    } cases[] = {
        {"eeeeeeeeeeeeeeeeeeee", 3, -1},  // fights, menus slid in, messages typed
        {"vveveeesveee", 1, -1},          // an item, back, a failed flight
        {"veeeeeeee", 2, 2500},           // defending, keys hurrying the typing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        std::vector<std::string> ends;  // seen, then unseen
        for (bool unseen : {false, true}) {
            SetUp();
            hero.speed = 0, pawn.attack = 30;
            if (unseen) headless::Unseen();
            if (c.timedFromMs >= 0)
                for (int k = 0; k < 8; ++k) headless::Key(kKeyEnter, c.timedFromMs + 70 * k);
            Run(c.size, c.keys);
            ends.push_back(testing::PrintToString(std::tuple(headless::NowMs(), headless::SleptMs(), Screen().CursorX(),
                                                             Screen().CursorY(), headless::KeysLeft(), hero.hp,
                                                             hero.exp, battle.actionCount, battleLeft, heroPanelLeft)));
        }
        EXPECT_EQ(ends[1], ends[0]);
    }
}

}  // namespace
}  // namespace rf
