#include "core/command_line.h"

#include <vector>

#include "core/startup.h"
#include "test_support.h"

namespace rf {
namespace {

class CommandLineTest : public test::GameTest {
protected:
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "ranks");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        return Main(static_cast<int>(argv.size()), argv.data());
    }
};

TEST_F(CommandLineTest, HelpAndVersionPrintAndExitWithoutTouchingTheConsole) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(headless::PrintedOut().find("usage: ranks"), std::string::npos);
    EXPECT_NE(headless::PrintedOut().find("--world"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_NE(headless::PrintedOut().find("ranks "), std::string::npos);
    EXPECT_TRUE(headless::PrintedError().empty());
    EXPECT_EQ(Row(0), std::string(80, ' '));
}

TEST_F(CommandLineTest, UnknownArgumentsAreRefusedWithUsage) {
    EXPECT_EQ(Run({"--frobnicate"}), 2);
    EXPECT_NE(headless::PrintedError().find("usage: ranks"), std::string::npos);
    EXPECT_EQ(Run({"--world"}), 2);  // the folder is missing
    EXPECT_TRUE(headless::PrintedOut().empty());
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
