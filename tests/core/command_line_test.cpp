#include "core/command_line.h"

#include <vector>

#include "core/startup.h"
#include "test_support.h"

namespace rf {
namespace {

using CommandLineTest = test::GameTest;

TEST_F(CommandLineTest, ArgumentsGiveTheStatusAndLeaveTheConsoleAlone) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (Case c : {Case{{"--help"}, 0}, Case{{"--version"}, 0}, Case{{"--frobnicate"}, 2}, Case{{"--world"}, 2}}) {
        SCOPED_TRACE(c.args[0]);
        c.args.insert(c.args.begin(), "ranks");
        std::vector<char*> argv;
        for (auto& a : c.args) argv.push_back(a.data());
        EXPECT_EQ(Main(static_cast<int>(argv.size()), argv.data()), c.status);
        EXPECT_EQ(Row(0), std::string(80, ' '));
    }
}

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
