#include "core/command_line.h"
#include "core/startup.h"

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
    // As `cmake --install` lays it out: the program in bin, the world under share.
    installed.Write("share/ranks/world/Hero_Info/Hero_Status_Info.txt", "");
    installed.Write("bin/ranks", "");
    headless::SetExecutableDirectory((installed.Path() / "bin").string());
    EXPECT_EQ(ChooseDataRoot(""), (installed.Path() / "bin").string() + "/../share/ranks/world");
    headless::SetExecutableDirectory("");
    EXPECT_EQ(ChooseDataRoot(""), "");
}

}  // namespace
}  // namespace rf
