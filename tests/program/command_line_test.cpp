// The command line: the world it names or finds, each kind of mistake said
// one way whatever the option, and the usage lines, --help, the manual and
// the README listing the same options.
#include "program/command_line.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "program/options.h"
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

std::string Parse(std::vector<const char*> args, Options& o) {
    args.insert(args.begin(), "ranks");
    std::string error;
    return ParseOptions(static_cast<int>(args.size()), args.data(), o, error) ? "" : error;
}

TEST(CommandLineOptions, EachMistakeIsSaidOneWay) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"--world"}, "--world needs a value: --world DIR"},
        {{"--record"}, "--record needs a value: --record FILE"},
        {{"--replay", "--headless"}, "--replay needs a value: --replay FILE"},
        {{"--replay", "r.rec", "--speed", "0"}, "--speed: '0' is not a whole number from 1 to 10000, or max"},
        {{"--replay", "r.rec", "--speed", "10001"}, "--speed: '10001' is not a whole number from 1 to 10000, or max"},
        {{"--replay", "r.rec", "--speed=1.5"}, "--speed: '1.5' is not a whole number from 1 to 10000, or max"},
        {{"--wrold", "w"}, "unknown option '--wrold'"},
        {{"world"}, "unexpected argument 'world'"},
        {{"check", "a", "b"}, "unexpected argument 'b'"},
        {{"check", "--battles", "3"}, "--battles does not go with ranks check"},
        {{"--saves=yes"}, "--saves takes no value"},
        {{"--speed", "4"}, "--headless, --speed, --cast and --end-save go with --replay FILE"},
        {{"--cast", "o.cast"}, "--headless, --speed, --cast and --end-save go with --replay FILE"},
        {{"--replay", "r.rec", "--cast", "o.cast", "--headless"},
         "--cast replays without a terminal already: it does not go with --headless"},
        {{"--replay", "r.rec", "--end-save", "--headless"},
         "--end-save keeps the end of a replay on screen: it does not go with --headless"},
        {{"--replay", "r.rec", "--cast", "o.cast", "--speed", "max"},
         "--cast keeps the game's times: --speed max has none, give a number"},
        {{"--replay", "r.rec", "--continue"},
         "--replay plays a recording as it was made: it does not go with --continue"},
        {{"--replay", "r.rec", "--record", "x.rec"},
         "--replay plays a recording as it was made: it does not go with --record"},
        {{"--saves", "--continue"}, "--saves lists the saved games and plays none: it does not go with --continue"},
        {{"--classic", "--look", "marked"}, "--classic plays as the original did: it does not go with --look"},
        {{"--classic=yes"}, "--classic: 'yes' is not on or off"},
    };
    for (const auto& [args, error] : cases) {
        Options o;
        EXPECT_EQ(Parse(args, o), error) << args[0];
    }
    Options o;
    EXPECT_EQ(Parse({"--continue", "my.save", "--record=r.rec"}, o), "");
    EXPECT_TRUE(o.continueGame && o.continueFile == "my.save" && o.recordFile == "r.rec");
    EXPECT_EQ(Parse({"balance", "w", "--battles", "7"}, o), "");
    EXPECT_TRUE(o.command == Command::kBalance && o.world == "w" && o.battles == 7);
    EXPECT_EQ(Parse({"--replay", "r.rec", "--speed", "max", "--headless"}, o), "");
    EXPECT_TRUE(o.speed == 0 && o.headless);
    EXPECT_EQ(Parse({"--classic", "--lang", "en"}, o), "");
    EXPECT_EQ(o.classic + o.language, "onen");
    EXPECT_EQ(Parse({"--classic", "off", "--messages", "auto"}, o), "");
    EXPECT_EQ(o.classic, "off");
}

// The options of the table, one a line.
std::set<std::string> Lines(const std::string& names) {
    std::set<std::string> lines;
    std::istringstream in(names);
    for (std::string line; std::getline(in, line);) lines.insert(line);
    return lines;
}

// The options a text names: in the manual or the usage every --word but the
// build's; in the README those of the game's own command lines (from "ranks"
// to the end of the command).
std::set<std::string> Named(const std::string& text, bool onlyGameLines) {
    std::set<std::string> names;
    const std::regex option(R"(--[a-z][a-z-]*)");
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        for (std::size_t p; (p = line.find("\\-")) != std::string::npos;) line.replace(p, 2, "-");
        if (line.find("cmake ") != std::string::npos && !onlyGameLines) continue;
        if (onlyGameLines) {
            // A usage line goes on in lines of [options] below it.
            const bool goesOn =
                line.find_first_not_of(' ') != std::string::npos && line[line.find_first_not_of(' ')] == '[';
            const std::size_t at = line.find("ranks ");
            if (at == std::string::npos && !goesOn) continue;
            if (at != std::string::npos) line = line.substr(at, line.find("&&", at) - at);
        }
        for (std::sregex_iterator it(line.begin(), line.end(), option), stop; it != stop; ++it) names.insert(it->str());
    }
    return names;
}

// Each command's usage lines name exactly the options that go with it
// (--help goes with all of them and is shown once, with the game's); --help,
// the manual and the README name the same options as the table.
TEST(CommandLineOptions, UsageLinesHelpManualAndReadmeNameTheSameOptions) {
    const std::string usage = UsageText();
    const std::size_t edit = usage.find("ranks edit"), check = usage.find("ranks check"),
                      balance = usage.find("ranks balance");
    const std::pair<Command, std::string> cases[] = {{Command::kPlay, usage.substr(0, edit)},
                                                     {Command::kEdit, usage.substr(edit, check - edit)},
                                                     {Command::kCheck, usage.substr(check, balance - check)},
                                                     {Command::kBalance, usage.substr(balance)}};
    for (const auto& [command, lines] : cases) {
        std::set<std::string> table = Lines(OptionNames(command));
        if (command != Command::kPlay) table.erase("--help");
        EXPECT_EQ(Named(lines, false), table) << lines;
    }
    const std::set<std::string> table = Lines(OptionNames());
    const std::string manual = test::FileBytes(RANKS_SOURCE_DIR "/man/ranks.6");
    const std::string readme = test::FileBytes(RANKS_SOURCE_DIR "/README.md");
    ASSERT_FALSE(manual.empty());
    for (const std::string& name : table) {
        EXPECT_NE(HelpText().find(name), std::string::npos) << name << " is not in --help";
        EXPECT_TRUE(Named(manual, false).count(name)) << name << " is not in the manual";
        EXPECT_TRUE(Named(readme, true).count(name)) << name << " is not in the README";
    }
    for (const std::string& name : Named(manual, false)) EXPECT_TRUE(table.count(name)) << "the manual names " << name;
    for (const std::string& name : Named(readme, true)) EXPECT_TRUE(table.count(name)) << "the README names " << name;
}

// --help fits 80 columns, and every option has its description beside it
// or, when the option is too wide for its column, on the line below.
TEST(CommandLineOptions, HelpFitsEightyColumnsAndDescribesEveryOption) {
    const std::string help = HelpText();
    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
    for (const std::string& name : Lines(OptionNames())) {
        const auto row =
            std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with("  " + name); });
        ASSERT_NE(row, lines.end()) << name;
        const bool beside = row->size() > 21 && (*row)[20] == ' ' && (*row)[21] != ' ';
        const bool below = row + 1 != lines.end() && (row + 1)->find_first_not_of(' ') == 21;
        EXPECT_TRUE(beside || below) << name << " has no description";
    }
}

// Every table of the documents renders as one: a run of rows begins with its
// header and the separator under it (a blank line inside a table cuts it in
// two, and its second half shows as a paragraph of pipes).
TEST(CommandLineOptions, TheDocumentsTablesAreWhole) {
    std::vector<std::filesystem::path> documents = {RANKS_SOURCE_DIR "/README.md", RANKS_SOURCE_DIR "/CHANGELOG.md"};
    for (const auto& entry : std::filesystem::directory_iterator(RANKS_SOURCE_DIR "/docs"))
        if (entry.path().extension() == ".md") documents.push_back(entry.path());
    for (const std::filesystem::path& name : documents) {
        std::istringstream in(test::FileBytes(name));
        std::string previous, line;
        for (int number = 1; std::getline(in, line); ++number, previous = line) {
            if (!line.starts_with("|") || previous.starts_with("|")) continue;
            std::string separator;
            std::getline(in, separator);
            EXPECT_TRUE(separator.starts_with("| ---") || separator.starts_with("|---") ||
                        separator.starts_with("| :--") || separator.starts_with("|:--"))
                << name.filename().string() << ":" << number << " begins a table without its header";
            line = separator, ++number;
        }
    }
}

// The page finds a world's folder by the same data folders as the game.
TEST(CommandLineOptions, ThePageKnowsTheWorldsDataFolders) {
    const std::string page = test::FileBytes(RANKS_SOURCE_DIR "/web/worlds.js");
    std::smatch list;
    ASSERT_TRUE(std::regex_search(page, list, std::regex(R"(const kDataFolders = \[([^\]]*)\];)")));
    std::string expected;
    for (std::string_view f : kDataFolders) expected += (expected.empty() ? "'" : ", '") + std::string(f) + "'";
    EXPECT_EQ(list[1].str(), expected);
}

}  // namespace
}  // namespace rf
