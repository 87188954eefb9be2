#include "program/command_line.h"
#include "core/world_folder.h"

#include "test_support.h"

namespace rf {
namespace {

using CommandLineTest = test::GameTest;

TEST_F(CommandLineTest, DataRootPrefersTheRequestThenTheWorkingDirectoryThenTheInstalledWorld) {
    test::TempDir installed;
    installed.Write("world/map_form/map1/1.txt", "");
    headless::SetExecutableDirectory(installed.Path().string());
    EXPECT_EQ(ChooseDataRoot("/some/where"), "/some/where");
    // The tests run in the build tree, which holds no data folders.
    EXPECT_EQ(ChooseDataRoot(""), installed.Path().string() + "/world");
    // The installed layout (bin and share/ranks/world) is checked on an installed game.
}

TEST_F(CommandLineTest, AWorldThatIsNoFolderOrHoldsNoDataFolderIsRefusedAtOnce) {
    test::TempDir dir;
    dir.Write("file.txt", "");
    dir.Write("empty/readme.txt", "");
    const std::string root = dir.Path().string();
    const std::pair<std::string, std::string> cases[] = {
        {root + "/nowhere", " is not a folder\n"},
        {root + "/file.txt", " is not a folder\n"},
        {root + "/empty",
         " holds none of the data folders Hero_Info, Enemy_Info, Abilities, map_form, map_info, mini_map\n"}};
    for (const auto& [world, why] : cases) {
        headless::Reset();
        EXPECT_EQ(test::CallWith(Main, {"ranks", "--world", world}), 2);
        EXPECT_EQ(headless::PrintedError(), "ranks: " + world + why);
        EXPECT_EQ(headless::NowMs(), 0);  // at once, not after the thirty seconds
    }
}

}  // namespace
}  // namespace rf
