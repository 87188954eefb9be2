// The default world that ships with the game: every map can be reached,
// the Queen's strip opens the way to the King, the enemies stand on free
// ground, and a whole encounter plays from start-up back to the field.
#include <array>
#include <cstdio>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

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
    }
    void LoadWorld() {
        LoadHeroStatus();
        LoadAllEnemyStatus();
        LoadAllAbilities();
        LoadMapForms(worldNumber);
    }

    // Hero cells reachable from the start with the grid as it stands.
    struct Reach {
        std::array<std::array<std::array<bool, 20>, 60>, 10> seen{};
        bool Map(int m) const {
            for (const auto& col : seen[static_cast<std::size_t>(m)])
                for (bool b : col)
                    if (b) return true;
            return false;
        }
        bool At(int m, int x, int y) const {
            return seen[static_cast<std::size_t>(m)][static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
        }
    };
    Reach Explore(int startMap, int startX, int startY) {
        Reach r;
        struct S {
            int m, x, y;
        };
        std::deque<S> todo{{startMap, startX, startY}};
        r.seen[static_cast<std::size_t>(startMap)][static_cast<std::size_t>(startX)][static_cast<std::size_t>(startY)] =
            true;
        const std::int16_t keep = hero.mapNumber;
        while (!todo.empty()) {
            S s = todo.front();
            todo.pop_front();
            for (int key : {kKeyUp, kKeyDown, kKeyLeft, kKeyRight}) {
                hero.mapNumber = static_cast<std::int16_t>(s.m);
                const int t = TestStep(key, s.x, s.y);
                if (t == kStepBlocked) continue;
                S n = s;
                if (t == kStepLeavesMap) {
                    if (key == kKeyRight) n.m += 1, n.x = 0;
                    if (key == kKeyLeft) n.m -= 1, n.x = 57;
                    if (key == kKeyDown) n.m += 3, n.y = 0;
                    if (key == kKeyUp) n.m -= 3, n.y = 19;
                } else {
                    if (key == kKeyUp) n.y -= 1;
                    if (key == kKeyDown) n.y += 1;
                    if (key == kKeyLeft) n.x -= t == kStepShort ? 1 : 2;
                    if (key == kKeyRight) n.x += t == kStepShort ? 1 : 2;
                    if (n.x < 0 || n.x > 58 || n.y < 0 || n.y > 19) continue;
                }
                auto& cell = r.seen[static_cast<std::size_t>(n.m)][static_cast<std::size_t>(n.x)]
                                   [static_cast<std::size_t>(n.y)];
                if (!cell) {
                    cell = true;
                    todo.push_back(n);
                }
            }
        }
        hero.mapNumber = keep;
        return r;
    }
    std::string At(int x, int y) { return Row(y, x, 2); }
    std::vector<std::string> MapLines(int n) {
        std::ifstream in(std::string(RANKS_WORLD_DIR) + "/map_form/map1/" + std::to_string(n) + ".txt",
                         std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(DefaultWorldTest, PicturesAreTwentyLinesOfFiftyNineCells) {
    for (int n = 1; n <= 9; ++n) {
        auto lines = MapLines(n);
        ASSERT_EQ(lines.size(), 20u) << n;
        for (const auto& line : lines) EXPECT_EQ(line.size(), 59u) << n;  // all ASCII
    }
    std::ifstream in(std::string(RANKS_WORLD_DIR) + "/mini_map/map1.txt", std::ios::binary);
    int rows = 0;
    for (std::string line; std::getline(in, line); ++rows) EXPECT_EQ(line.size(), 19u);
    EXPECT_EQ(rows, 9);
}

TEST_F(DefaultWorldTest, EveryMapIsReachableOnceTheQueenOpensTheGate) {
    LoadWorld();
    ASSERT_EQ(hero.mapNumber, 1);
    const PieceMark queen = worldInfo.queenMark;
    const PieceMark king = worldInfo.kingMark;
    ASSERT_TRUE(IsMapNumber(queen.map));
    ASSERT_NE(queen.map, worldInfo.opening.map);

    Reach before = Explore(hero.mapNumber, hero.fieldX, hero.fieldY);
    // The Queen's map can be reached with the gate still shut; the gate's map cannot.
    EXPECT_TRUE(before.Map(queen.map));
    EXPECT_FALSE(before.Map(worldInfo.opening.map));
    for (int m = 1; m <= 9; ++m)
        if (m != worldInfo.opening.map) {
            EXPECT_TRUE(before.Map(m)) << m;
        }

    OpenStrip();
    Reach after = Explore(hero.mapNumber, hero.fieldX, hero.fieldY);
    for (int m = 1; m <= 9; ++m) EXPECT_TRUE(after.Map(m)) << m;
    // The King can be walked up to.
    bool besideKing = false;
    for (int x = king.x - 2; x <= king.x; ++x)
        if (x >= 0 && x <= 58) besideKing = besideKing || after.At(king.map, x, king.y - 1);
    EXPECT_TRUE(besideKing);
}

TEST_F(DefaultWorldTest, EnemiesStandOnFreeGroundWithinReachOfEveryKindAndSize) {
    LoadWorld();
    OpenStrip();
    Reach reach = Explore(hero.mapNumber, hero.fieldX, hero.fieldY);
    bool kinds[5] = {};
    bool sizes[8] = {};
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        LoadMapEnemies(worldNumber);
        EXPECT_GE(fieldEnemies.count, 1) << m;
        for (int i = 0; i < fieldEnemies.count; ++i) {
            const FieldEnemy& e = fieldEnemies.entries[i];
            ASSERT_TRUE(e.kind >= 1 && e.kind <= 4) << m;
            ASSERT_TRUE(e.groupSize >= 1 && e.groupSize <= 7) << m;
            kinds[e.kind] = true;
            sizes[e.groupSize] = true;
            EXPECT_EQ(GridCell(OriginColumn(m) + e.x, OriginRow(m) + e.y), ' ') << m << " enemy " << i;
            EXPECT_EQ(GridCell(OriginColumn(m) + e.x + 1, OriginRow(m) + e.y), ' ') << m << " enemy " << i;
            // The hero can stand where this enemy would touch it.
            bool meetable = false;
            for (int x = e.x - 1; x <= e.x + 1; ++x)
                if (x >= 0 && x <= 58) meetable = meetable || reach.At(m, x, e.y);
            EXPECT_TRUE(meetable) << m << " enemy " << i;
        }
    }
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(kinds[k]) << k;
    for (int s = 1; s <= 7; ++s) EXPECT_TRUE(sizes[s]) << s;
    EXPECT_EQ(std::string(EnemySymbolOf(1)), "◎"_sj);
    EXPECT_EQ(std::string(EnemySymbolOf(2)), "△"_sj);
    EXPECT_EQ(std::string(EnemySymbolOf(3)), "○"_sj);
    EXPECT_EQ(std::string(EnemySymbolOf(4)), "□"_sj);
    EXPECT_EQ(std::string(enemyTable.kinds[kQueen - 1].symbol), "Ω"_sj);
    EXPECT_EQ(std::string(enemyTable.kinds[kKing - 1].symbol), "Ψ"_sj);
}

TEST_F(DefaultWorldTest, StartUpDrawsTheFieldScreenWithoutPieceMarks) {
    StartUp();
    const auto lines = MapLines(1);
    EXPECT_EQ(Row(0, 0, 59), lines[0]);
    EXPECT_EQ(Row(19, 0, 59), lines[19]);
    EXPECT_EQ(At(hero.fieldX, hero.fieldY), "●");
    for (int i = 0; i < fieldEnemies.count; ++i)
        EXPECT_EQ(At(fieldEnemies.entries[i].x, fieldEnemies.entries[i].y), "◎") << i;
    EXPECT_EQ(Row(0, 61, 18), " _____MiniMap_____");
    EXPECT_EQ(Row(2, 64, 3), "_|_");
    EXPECT_EQ(Row(21, 0, 3), "＞+");
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) EXPECT_EQ(AttrAt(x, y), 7);
    EXPECT_FALSE(Screen().CursorVisible());
}

TEST_F(DefaultWorldTest, WalkGetCaughtFightAndComeBackToTheField) {
    StartUp();
    ASSERT_EQ(fieldEnemies.count, 3);
    const FieldEnemy chaser = fieldEnemies.entries[0];
    headless::Arrow(kKeyRight, 0);
    // Enough Enters for a whole battle against one Pawn, whatever its course.
    for (int i = 0; i < 80; ++i) headless::Key(kKeyEnter);
    headless::RunUntil(3'600'000);
    int passes = 0;
    while (fieldEnemies.count == 3 && passes < 200) {
        MainLoopPass();
        ++passes;
    }
    ASSERT_EQ(fieldEnemies.count, 2) << "no encounter after " << passes << " passes";
    EXPECT_EQ(hero.fieldX, 10);
    // The Pawn that gave chase is gone; the others remain.
    for (int i = 0; i < fieldEnemies.count; ++i) EXPECT_NE(fieldEnemies.entries[i].y, chaser.y) << i;
    const auto lines = MapLines(1);
    for (int y = 0; y < 20; ++y) {
        std::string expected = lines[static_cast<std::size_t>(y)];
        for (std::size_t x = 0; x < expected.size(); ++x)
            if (expected[x] != ' ') {
                EXPECT_EQ(Screen().At(static_cast<int>(x), y).code, expected[x]) << x << "," << y;
            }
    }
    EXPECT_EQ(At(hero.fieldX, hero.fieldY), "●");
    EXPECT_EQ(Row(0, 61, 18), " _____MiniMap_____");
    EXPECT_EQ(Row(2, 64, 3), "_|_");
    EXPECT_EQ(Row(21, 0, 3), "＞+");
    EXPECT_EQ(Row(24, 48, 16), "Ψ ・・・ キング");
}

// Not a timed test: prints how long a change of map takes in game time.
TEST_F(DefaultWorldTest, FiguresLengthOfAMapChange) {
    LoadWorld();
    LoadMapEnemies(worldNumber);
    hero.fieldX = 56;
    hero.fieldY = 4;  // the door to map 2
    DrawField();
    MoveHero(kKeyRight);
    ASSERT_EQ(hero.fieldX, 57);
    auto t0 = headless::NowMs();
    MoveHero(kKeyRight);
    ASSERT_EQ(hero.mapNumber, 2);
    const auto sideways = headless::NowMs() - t0;
    hero.fieldX = 44;
    hero.fieldY = 19;
    t0 = headless::NowMs();
    MoveHero(kKeyDown);
    ASSERT_EQ(hero.mapNumber, 5);
    const auto vertical = headless::NowMs() - t0;
    std::printf("[ figures  ] sideways map change %lld ms, vertical map change %lld ms (virtual time)\n",
                static_cast<long long>(sideways), static_cast<long long>(vertical));
    RecordProperty("sideways_ms", static_cast<int>(sideways));
    RecordProperty("vertical_ms", static_cast<int>(vertical));
    EXPECT_GT(sideways, 0);
    EXPECT_GT(vertical, 0);
}

}  // namespace
}  // namespace rf
