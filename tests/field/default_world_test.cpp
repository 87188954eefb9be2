// The world that ships with the game: every map can be reached once the
// Queen opens the strip, and a whole encounter plays from start-up.
#include <deque>
#include <set>
#include <string>
#include <tuple>

#include "console/console.h"
#include "core/data_files.h"
#include "core/startup.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "test_support.h"

namespace rf {
namespace {

class DefaultWorldTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = RANKS_WORLD_DIR;
        LoadHeroStatus();
        LoadAllEnemyStatus();
        LoadMapForms(worldNumber);
    }
    // Maps whose cells the hero can reach from the start, grid as it stands.
    std::set<int> ReachableMaps() {
        std::set<std::tuple<int, int, int>> seen{{hero.mapNumber, hero.fieldX, hero.fieldY}};
        std::deque<std::tuple<int, int, int>> todo(seen.begin(), seen.end());
        std::set<int> maps;
        const std::int16_t keep = hero.mapNumber;
        for (; !todo.empty(); todo.pop_front()) {
            auto [m, x, y] = todo.front();
            maps.insert(m);
            for (int key : {kKeyUp, kKeyDown, kKeyLeft, kKeyRight}) {
                hero.mapNumber = static_cast<std::int16_t>(m);
                const int t = TestStep(key, x, y);
                if (t == kStepBlocked) continue;
                const int dx = (key == kKeyRight) - (key == kKeyLeft), dy = (key == kKeyDown) - (key == kKeyUp);
                std::tuple<int, int, int> n{m, x + dx * (t == kStepShort ? 1 : 2), y + dy};
                if (t == kStepLeavesMap)
                    n = {m + dx + 3 * dy, dx ? (dx > 0 ? 0 : 57) : x, dy ? (dy > 0 ? 0 : 19) : y};
                if (seen.insert(n).second) todo.push_back(n);
            }
        }
        hero.mapNumber = keep;
        return maps;
    }
};

TEST_F(DefaultWorldTest, EveryMapIsReachableOnceTheStripOpens) {
    std::set<int> before = ReachableMaps();
    EXPECT_EQ(before.count(worldInfo.queenMark.map), 1u);
    EXPECT_EQ(before.count(worldInfo.opening.map), 0u);
    EXPECT_EQ(before.size(), 8u);
    OpenStrip();
    EXPECT_EQ(ReachableMaps(), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(DefaultWorldTest, EveryKindAndGroupSizeIsPresent) {
    std::set<int> kinds, sizes;
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        LoadMapEnemies(worldNumber);
        for (int i = 0; i < fieldEnemies.count; ++i)
            kinds.insert(fieldEnemies.entries[i].kind), sizes.insert(fieldEnemies.entries[i].groupSize);
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(sizes, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(DefaultWorldTest, WalkGetCaughtWinAndComeBackToTheField) {
    StartUp();
    const std::string top = Row(0, 0, 59);
    ASSERT_EQ(fieldEnemies.count, 3);
    const int chaserY = fieldEnemies.entries[0].y;
    headless::Arrow(kKeyRight, 0);
    for (int i = 0; i < 80; ++i) headless::Key(kKeyEnter);  // a whole battle against one Pawn
    headless::RunUntil(3'600'000);
    for (int passes = 0; fieldEnemies.count == 3 && passes < 200; ++passes) MainLoopPass();
    ASSERT_EQ(fieldEnemies.count, 2);
    EXPECT_EQ(hero.fieldX, 10);
    for (int i = 0; i < fieldEnemies.count; ++i) EXPECT_NE(fieldEnemies.entries[i].y, chaserY) << i;
    EXPECT_EQ(Row(0, 0, 59), top);
    EXPECT_EQ(Row(hero.fieldY, hero.fieldX, 2), "●");
    EXPECT_EQ(Row(2, 64, 3) + Row(21, 0, 3) + Row(24, 48, 16), "_|_＞+Ψ ・・・ キング");
}

}  // namespace
}  // namespace rf
