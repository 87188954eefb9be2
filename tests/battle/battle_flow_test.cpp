// The battle's commands: a target chosen among the standing enemies, and
// whole battles through RunBattle, driven by scripted keys with the clock
// fixed, so the generator's seed is known.
#include "battle/battle_driver.h"
#include "battle/target_selection.h"

#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"
#include "items/items.h"

#include <array>
#include <tuple>

namespace rf {
namespace {

class TargetSelectionTest : public test::BattleTest {
protected:
    void Group(int n, int fallen = 0) {
        battle = {};
        test::OpenGroup(pawn, n);
        if (fallen > 0) battle.defeated[fallen - 1] = 1, --battle.remaining, ++battle.defeatedCount;
        DrawFormation(pawn, n);
    }
    std::uint16_t SymbolAttr(int t) { return AttrAt(25 + FormationCellOf(7, t).column, FormationCellOf(7, t).row); }
};

// A move reaches only a standing enemy straight above or below, never one further on.
TEST_F(TargetSelectionTest, RowMovesReachOnlyAStandingEnemyStraightAboveOrBelow) {
    struct Case {
        int size, fallen, from;
        bool up;
        int to;  // 0: no move, the target stays
    } cases[] = {
        {3, 0, 1, false, 3}, {3, 0, 3, true, 1},  // the single enemy below and back
        {5, 0, 3, false, 5}, {5, 0, 4, true, 3},  // the middle one and the corners
        {5, 0, 1, true, 0},  {5, 3, 4, true, 0},  // nothing above the top row; the middle has fallen
        {7, 6, 2, false, 0},                      // the one below has fallen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " " << c.from << (c.up ? " up" : " down"));
        Group(c.size, c.fallen);
        pawn.target = static_cast<std::int16_t>(c.from);
        EXPECT_EQ((c.up ? MoveTargetUp(pawn) : MoveTargetDown(pawn)) != 0, c.to != 0);
        EXPECT_EQ(pawn.target, c.to ? c.to : c.from);
    }
}

// Where the two rows stand column for column, up and then down comes back.
TEST_F(TargetSelectionTest, UpAndDownAgainComeBackInAlignedGroups) {
    for (int n : {4, 6, 7}) {
        Group(n);
        const int upper = n == 7 ? 4 : n / 2;
        for (int t = upper + 1; t <= n; ++t) {
            SCOPED_TRACE(testing::Message() << n << " " << t);
            pawn.target = static_cast<std::int16_t>(t);
            ASSERT_NE(MoveTargetUp(pawn), 0);
            EXPECT_LE(pawn.target, upper);
            ASSERT_NE(MoveTargetDown(pawn), 0);
            EXPECT_EQ(pawn.target, t);
        }
    }
}

TEST_F(TargetSelectionTest, RightStepsOverTheFallenAndSpaceGoesBackWithTargetOne) {
    Group(7, 5);
    pawn.target = 4;
    headless::Arrow(kKeyRight);  // 5 has fallen: 6
    headless::Arrow(kKeyDown);   // nothing below 6
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 6);
    EXPECT_EQ(SymbolAttr(6), 15);
    headless::Key(kKeySpace);
    EXPECT_EQ(SelectTarget(pawn), 0);
    EXPECT_EQ(pawn.target, 1);
    EXPECT_EQ(SymbolAttr(6), 7);
    EXPECT_EQ(Row(9, 34, 6), "　　　");  // the banner and its name are gone
}

// Left in the ability menu leads back to the targets, not to the commands:
// the next keys move the target, and no blow was struck.
TEST_F(TargetSelectionTest, LeftInTheAbilityMenuGoesBackToTheTargets) {
    Group(7);
    headless::Key(kKeyEnter);
    headless::Arrow(kKeyLeft);
    headless::Arrow(kKeyRight);
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 15);
    EXPECT_EQ(battle.actionCount, 0);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));  // the menu is closed
}

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
