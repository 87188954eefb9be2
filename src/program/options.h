// The command line: every option of the game and of the authors' tools in
// one table, read by one parser that words each kind of mistake one way;
// --help is made from the same table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "authoring/balance.h"
#include "core/setting_table.h"

namespace rf {

enum class Command { kPlay, kCheck, kBalance, kNew, kEdit };

struct Options {
    Command command = Command::kPlay;
    bool help = false;
    bool version = false;
    std::string world;  // --world DIR, or the DIR of check, balance, new and edit
    bool continueGame = false;
    std::string continueFile;  // empty: the most recent game of the world
    bool listSaves = false;
    std::string recordFile;
    std::string replayFile;
    int speed = 1;  // 0: as fast as it goes
    bool headless = false;
    std::string castFile;  // --cast OUT
    bool endSave = false;  // --end-save
    // The settings given here (core/setting_table.h), each as its value's
    // name; empty: the settings file's.
    std::string look;      // --look
    std::string messages;  // --messages
    std::string classic;   // --classic [on|off]
    std::string speech;    // --speech: kOnName
    std::string program;   // argv[0], for the farewell's command
    std::string language;  // --lang
    int battles = authoring::kDefaultBattles;
    // Play-testing: where the game starts, at what level, and whether it keeps a save.
    std::string start;  // MAP or MAP,X,Y (checked by the parser)
    int startMap = 0, startX = -1, startY = -1;
    int level = 0;  // 0: the hero file's
    bool noSave = false;
    // The authors' tools.
    std::string format = "text";  // text, csv (balance), json or sarif (check)
    bool notes = false;
    bool pot = false;  // ranks check: the translation template instead of the report
    int show = 0;      // ranks check --show N: map N as loaded
    std::vector<int> levels;
};

// False on a mistake, with `error` saying it in one line (no "ranks: ").
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// The value of a setting the command line gives, an index into its
// values; -1 when it gives none.
int GivenValue(const Options& options, SettingKey key);

// The usage lines printed after a mistake, and the whole of --help.
std::string UsageText();
std::string HelpText();

// Every option's name, one a line, for the tests that keep the usage lines,
// the manual and the README in step with the table; of one command only
// when it is given.
std::string OptionNames();
std::string OptionNames(Command command);

}  // namespace rf
