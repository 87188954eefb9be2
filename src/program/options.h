// The command line: every option of the game and of the authors' tools in
// one table, read by one parser that words each kind of mistake one way;
// --help is made from the same table.
#pragma once

#include <string>
#include <string_view>

namespace rf {

enum class Command { kPlay, kCheck, kBalance };

struct Options {
    Command command = Command::kPlay;
    bool help = false;
    bool version = false;
    std::string world;  // --world DIR, or the DIR of check and balance
    bool continueGame = false;
    std::string continueFile;  // empty: the most recent game of the world
    bool listSaves = false;
    std::string recordFile;
    std::string replayFile;
    int speed = 1;  // 0: as fast as it goes
    bool headless = false;
    bool consoleLook = false;  // --look console
    int battles = 200;
};

// False on a mistake, with `error` saying it in one line (no "ranks: ").
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// The usage lines printed after a mistake, and the whole of --help.
std::string UsageText();
std::string HelpText();

// Every option's name, for the test that keeps the manual and the README in step.
std::string OptionNames();

}  // namespace rf
