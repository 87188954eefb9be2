#include "program/command_line.h"

#include <string>
#include <string_view>

#include "authoring/commands.h"
#include "core/game_state.h"
#include "core/world_folder.h"
#include "platform/streams.h"
#include "program/session.h"
#include "program/startup.h"
#include "text/escape.h"

#ifndef RANKS_VERSION
#define RANKS_VERSION "0.0.0"
#endif

namespace rf {
namespace {

constexpr std::string_view kUsage =
    "usage: ranks [--world DIR] [--continue [FILE]] [--saves] [--record FILE]\n"
    "             [--replay FILE [--speed N|max] [--headless]] [--help] [--version]\n"
    "       ranks check [DIR] | ranks balance [DIR] [--battles N]\n";

constexpr std::string_view kHelp =
    "Ranks & Files - a role-playing game for the text console.\n"
    "\n"
    "usage: ranks [--world DIR] [--continue [FILE]] [--saves] [--record FILE]\n"
    "             [--replay FILE [--speed N|max] [--headless]] [--help] [--version]\n"
    "\n"
    "  --world DIR        play the world whose data folders are in DIR\n"
    "  --continue [FILE]  resume the most recent saved game of the world, or FILE\n"
    "  --saves            list the saved games and exit\n"
    "  --record FILE      record this game to FILE as well\n"
    "  --replay FILE      play a recording back (Space pauses, Ctrl+C quits)\n"
    "  --speed N|max      replay N times faster, or without pauses\n"
    "  --headless         replay without a terminal and print the last screen\n"
    "  --help             show this text and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "For world authors:\n"
    "  ranks check [DIR]                  report what the game makes of a world\n"
    "  ranks balance [DIR] [--battles N]  play battles at several levels and\n"
    "                                     print win rates and play time\n"
    "\n"
    "Without --world the game plays the working directory when it holds the\n"
    "data folders (Hero_Info, Enemy_Info, Abilities, map_form, map_info,\n"
    "mini_map), otherwise the default world installed beside the program.\n"
    "\n"
    "Keys: arrow keys walk and choose, Enter or Right confirms, Space or\n"
    "Left goes back, Enter, Right or Down acknowledges a message.\n"
    "Ctrl+C quits.\n"
    "\n"
    "Every game is saved as it goes, and recorded beside its save, in the\n"
    "user's data folder (ranks --saves shows where).\n";

}  // namespace

int Main(int argc, char** argv) {
    // `ranks check` and `ranks balance`, the tools for world authors.
    if (int status = authoring::RunAuthoringCommand(argc, argv); status >= 0) return status;
    std::string world;
    SessionOptions session;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            platform::PrintOut(kHelp);
            return 0;
        }
        if (arg == "--version") {
            platform::PrintOut("ranks " RANKS_VERSION "\n");
            return 0;
        }
        if (arg == "--world" && i + 1 < argc) {
            world = argv[++i];
            continue;
        }
        if (int used = TakeSessionOption(argc, argv, i, session); used != 0) {
            if (used > 0) {
                i += used - 1;
                continue;
            }
            platform::PrintError("ranks: '" + Escaped(arg) + "' needs a value\n");
            platform::PrintError(kUsage);
            return 2;
        }
        platform::PrintError("ranks: unknown argument '" + Escaped(arg) + "'\n");
        platform::PrintError(kUsage);
        return 2;
    }
    if (!world.empty()) {
        if (std::string problem = WorldFolderProblem(world); !problem.empty()) {
            platform::PrintError("ranks: " + problem + "\n");
            return 2;
        }
    }
    dataRoot = ChooseDataRoot(world);
    return RunSession(session, world);
}

}  // namespace rf
