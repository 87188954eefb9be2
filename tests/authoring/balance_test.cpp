// The balance report: real battles on the default world, the same on every
// run, with a row per level and encounter and the three estimates.
#include "authoring/balance.h"

#include "program/command_line.h"
#include "test_support.h"

namespace rf {
namespace {

using BalanceTest = test::GameTest;

std::string Report(const std::string& world, const char* battles) {
    headless::Reset();
    EXPECT_EQ(test::CallWith(Main, {"ranks", "balance", world, "--battles", battles}), 0);
    return headless::PrintedOut();
}

TEST_F(BalanceTest, SameReportEveryRunWithItsEstimates) {
    const std::string report = Report(RANKS_WORLD_DIR, "3");
    EXPECT_EQ(Report(RANKS_WORLD_DIR, "3"), report);
    for (const char* estimate : {"to level 12: ", "to level 18: ", "to level 25: "})
        EXPECT_NE(report.find(estimate), std::string::npos) << report;
    // The level-25 hero beats a lone Pawn every time, in one blow.
    EXPECT_NE(report.find("   25  Pawn        1    100.0%             1.0"), std::string::npos) << report;
}

// The policy drinks its potions: without them the level-12 hero loses to
// three Rooks that he mostly beats with them (a world of that one group).
TEST_F(BalanceTest, PotionsChangeTheOutcomeOfLongBattles) {
    test::TempDir dir{RANKS_WORLD_DIR};
    for (int n = 1; n <= 9; ++n) dir.Write("map_info/map1/" + std::to_string(n) + ".txt", n == 1 ? "1\n4 3 30 10\n" : "0\n");
    auto row = [](const std::string& report) {
        const std::size_t at = report.find("   12  Rook        3");
        return at == std::string::npos ? std::string() : report.substr(at, report.find('\n', at) - at);
    };
    const std::string with = row(Report(dir.Path().string(), "10"));
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "アレン 40 8 6 5 5 8 70 0 1 0 0 0 0 1 0 2 0 3 0 8 4");
    const std::string without = row(Report(dir.Path().string(), "10"));
    ASSERT_FALSE(with.empty());
    EXPECT_NE(without.find("   0.0%"), std::string::npos) << without;
    EXPECT_EQ(with.find("   0.0%"), std::string::npos) << with;
}

TEST_F(BalanceTest, AWorldWithoutAHeroIsRefused) {
    test::TempDir dir{RANKS_WORLD_DIR};
    std::filesystem::remove(dir.Path() / "Hero_Info/Hero_Status_Info.txt");
    EXPECT_EQ(test::CallWith(Main, {"ranks", "balance", dir.Path().string()}), 2);
    EXPECT_EQ(headless::PrintedError(), "ranks balance: the hero has no hit points (see ranks check)\n");
}

}  // namespace
}  // namespace rf
