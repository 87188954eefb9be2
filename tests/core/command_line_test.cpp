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
    headless::SetExecutableDirectory("");
    EXPECT_EQ(ChooseDataRoot(""), "");
}

}  // namespace
}  // namespace rf
