// The balance report: real battles on the default world, the same on every
// run, per map and per group, and what it says of worlds that play wrong.
#include "authoring/balance.h"

#include "program/command_line.h"
#include "test_support.h"

namespace rf {
namespace {

using BalanceTest = test::GameTest;

std::string Report(const std::string& world, const char* battles, std::vector<std::string> more = {}) {
    headless::Reset();
    std::vector<std::string> words{"ranks", "balance", world, "--battles", battles};
    words.insert(words.end(), more.begin(), more.end());
    EXPECT_EQ(test::CallWith(Main, words), 0);
    return headless::PrintedOut();
}

std::string Line(const std::string& report, const std::string& start) {
    const std::size_t at = report.find(start);
    return at == std::string::npos ? std::string() : report.substr(at, report.find('\n', at) - at);
}

TEST_F(BalanceTest, SameReportEveryRunWithMapsRowsAndEstimates) {
    const std::string report = Report(RANKS_WORLD_DIR, "3");
    EXPECT_EQ(Report(RANKS_WORLD_DIR, "3"), report);
    // The levels that open an ability head the rows and end the estimates.
    for (const char* part :
         {"By map: the lowest level (1 to 25)", "By enemy group, at each level of 1, 5, 12, 18, 25\n",
          "to level 12: ", "to level 18: ", "to level 25: ", "  1      1    100.0%", "Pawn x1, Pawn x2, Pawn x1"})
        EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
    // The level-25 hero beats a lone Pawn every time, in one blow.
    EXPECT_NE(report.find("   25  Pawn        1      2    100.0%             1.0"), std::string::npos) << report;
    const std::string csv = Report(RANKS_WORLD_DIR, "3", {"--format=csv", "--levels", "1,25"});
    EXPECT_EQ(csv.find("map,enemy_groups,level_90,win_rate,typical_fight_s\n1,\"Pawn x1, Pawn x2, Pawn x1\",1,100.0,"),
              0u)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 10);
    const std::string json = Report(RANKS_WORLD_DIR, "3", {"--format=json", "--levels=25"});
    EXPECT_NE(json.find("{\"map\": 9, \"enemy_list_read\": true, \"groups\": [{\"kind\": \"Rook\", \"group\": 1}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"levels_without_rows\": []"), std::string::npos) << json;
}

// The policy drinks its potions: without them the level-12 hero loses to
// three Rooks that he mostly beats with them (a world of that one group).
TEST_F(BalanceTest, PotionsChangeTheOutcomeOfLongBattles) {
    test::TempDir dir{RANKS_WORLD_DIR};
    for (int n = 1; n <= 9; ++n)
        dir.Write("map_info/map1/" + std::to_string(n) + ".txt", n == 1 ? "1\n4 3 30 10\n" : "0\n");
    const std::string with = Line(Report(dir.Path().string(), "10", {"--levels=12"}), "   12  Rook        3");
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "アレン 40 8 6 5 5 8 70 0 1 0 0 0 0 1 0 2 0 3 0 8 4");
    const std::string without = Line(Report(dir.Path().string(), "10", {"--levels=12"}), "   12  Rook        3");
    ASSERT_FALSE(with.empty());
    EXPECT_NE(without.find("   0.0%"), std::string::npos) << without;
    EXPECT_EQ(with.find("   0.0%"), std::string::npos) << with;
}

// Worlds the game reads otherwise than written: a warning first, every
// level's rows kept or said why not, a win a win.
TEST_F(BalanceTest, WorldsThatPlayWrongAreSaidSo) {
    const struct {
        const char* file;
        const char* content;
        std::vector<std::string> levels;
        const char* expected;  // a line of the report that must appear
        bool warned;           // the checker finds errors
    } cases[] = {
        // An empty Bishop file: a Bishop of no hit points falls at the first blow, bringing no experience.
        {"Enemy_Info/Bishop_Status_Info.txt", "", {"--levels=1"}, "    1  Bishop      1      3    100.0%", true},
        // The next level at 0 experience: the first win raises him, and every level has its rows.
        {"Hero_Info/Hero_Status_Info.txt",
         "Hero 40 8 6 5 5 8 0 0 1 0 0 0 0 1 5 2 3 3 3 8 4",
         {"--levels=1,5,25"},
         "   25  Pawn        1",
         true},
        {"Hero_Info/Hero_Status_Info.txt",
         "Hero 40 8 6 5 5 8 70 0 6 0 0 0 0 1 5 2 3 3 3 8 4",
         {"--levels=1,25"},
         "    1  no rows: below the hero file's level 6",
         false},
    };
    for (const auto& c : cases) {
        test::TempDir dir{RANKS_WORLD_DIR};
        dir.WriteText(c.file, c.content);
        const std::string report = Report(dir.Path().string(), "2", c.levels);
        EXPECT_NE(report.find(c.expected), std::string::npos) << c.expected << "\n" << report;
        EXPECT_EQ(report.find(" 0 min 0 s"), std::string::npos) << report;
        EXPECT_EQ(headless::PrintedError().find("ranks balance: warning: ") != std::string::npos, c.warned) << c.file;
    }
}

TEST_F(BalanceTest, AWorldWithoutAHeroIsRefused) {
    test::TempDir dir{RANKS_WORLD_DIR};
    std::filesystem::remove(dir.Path() / "Hero_Info/Hero_Status_Info.txt");
    EXPECT_EQ(test::CallWith(Main, {"ranks", "balance", dir.Path().string()}), 2);
    EXPECT_NE(headless::PrintedError().find("ranks balance: the hero has no hit points (see ranks check)\n"),
              std::string::npos);
}

}  // namespace
}  // namespace rf
