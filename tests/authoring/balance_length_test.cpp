// How long the balance report finds a fight: each map's battles at the
// level world.txt says the map is meant for, in Enter presses at the
// default pace. The default world keeps every battle within 40 and each
// map's median under 20; a world whose groups drag is said to.
#include <filesystem>
#include <string>

#include "platform/headless/headless.h"
#include "program/command_line.h"
#include "test_support.h"

namespace rf {
namespace {

using BalanceLengthTest = test::GameTest;

constexpr int kMostEnters = 40;
constexpr double kMedianEnters = 20;

std::string JsonReport(const std::string& world, const char* battles) {
    headless::Reset();
    EXPECT_EQ(test::CallWith(Main, {"ranks", "balance", world, "--battles", battles, "--levels=1", "--format=json"}),
              0);
    return headless::PrintedOut();
}

// The number after "name": at or after `from`; -1 when there is none.
double Number(const std::string& json, std::size_t from, const std::string& name) {
    const std::size_t at = json.find("\"" + name + "\": ", from);
    return at == std::string::npos ? -1 : std::stod(json.substr(at + name.size() + 4));
}

std::size_t MapAt(const std::string& json, int map) { return json.find("{\"map\": " + std::to_string(map) + ","); }

TEST_F(BalanceLengthTest, DefaultWorldsBattlesStayShortAtTheLevelEachMapIsMeantFor) {
    const std::string json = JsonReport(RANKS_WORLD_DIR, "200");
    ASSERT_NE(json.find("\"meant_levels_from\": \"world.txt's levels\""), std::string::npos) << json;
    for (int map = 1; map <= 9; ++map) {
        const std::size_t at = json.find("\"at_meant_level\"", MapAt(json, map));
        ASSERT_LT(at, MapAt(json, map + 1)) << "map " << map << " was not played at its level\n" << json;
        EXPECT_LE(Number(json, at, "most_enters"), kMostEnters) << "map " << map;
        EXPECT_LT(Number(json, at, "median_enters"), kMedianEnters) << "map " << map;
        EXPECT_GE(Number(json, at, "win_rate"), 0.9) << "map " << map;
    }
    const std::size_t all = json.find("\"all_maps_at_meant_levels\"");
    EXPECT_EQ(Number(json, all, "over_40_share"), 0);
}

// Where the levels come from (a fallback said on the standard error too), and a group that drags seen dragging.
TEST_F(BalanceLengthTest, LevelsComeFromTheWorldFileAndADraggingGroupIsCounted) {
    struct Case {
        const char* name;
        const char* levels;     // world.txt's levels line
        const char* firstList;  // map 1's enemy list; empty: the default
        const char* why;        // why the report does not take the levels; empty: it takes them
        bool drags;             // some battle over 40 presses
    };
    const Case cases[] = {
        {"the default world's", "levels: 1 2 5 3 6 9 7 11 14", "", "", false},
        {"none given", "", "", "world.txt gives no levels", false},
        {"eight levels", "levels: 1 2 5 3 6 9 7 11", "",
         "world.txt's levels: 8 levels where 9 belong: one for each map, map 1 first", false},
        {"seven Pawns for a level-1 hero", "levels: 1 2 5 3 6 9 7 11 14", "1\n1 7 20 12\n", "", true},
    };
    for (const Case& c : cases) {
        test::TempDir dir{RANKS_WORLD_DIR};
        dir.WriteText("world.txt", std::string("name: Test\n") + c.levels + "\n");
        if (*c.firstList != '\0') dir.WriteText("map_info/map1/1.txt", c.firstList);
        const std::string json = JsonReport(dir.Path().string(), "20");
        const std::string from =
            *c.why ? "the lowest level that wins (" + std::string(c.why) + ")" : "world.txt's levels";
        EXPECT_NE(json.find("\"meant_levels_from\": \"" + from + "\""), std::string::npos) << c.name << "\n" << json;
        EXPECT_EQ(headless::PrintedError().find(*c.why ? c.why : "levels") != std::string::npos, *c.why != '\0')
            << c.name << ": " << headless::PrintedError();
        const std::size_t first = json.find("\"at_meant_level\"", MapAt(json, 1));
        EXPECT_EQ(Number(json, first, "most_enters") > kMostEnters, c.drags) << c.name << "\n" << json;
        EXPECT_EQ(Number(json, first, "over_40_share") > 0, c.drags) << c.name;
    }
}

}  // namespace
}  // namespace rf
