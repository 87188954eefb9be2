#include "authoring/commands.h"

#include <string>
#include <string_view>

#include "authoring/balance.h"
#include "authoring/world_check.h"
#include "core/world_folder.h"
#include "platform/streams.h"
#include "text/escape.h"

namespace rf::authoring {
namespace {

constexpr std::string_view kUsage =
    "usage: ranks check [DIR]\n"
    "       ranks balance [DIR] [--battles N]\n";

// The world folder: the one given, else the one the game would play.
bool PickWorld(const std::string& given, std::string_view tool, std::string& dir) {
    dir = given.empty() ? ChooseDataRoot("") : given;
    if (std::string problem = WorldFolderProblem(dir.empty() ? "." : dir); !problem.empty()) {
        platform::PrintError("ranks " + std::string(tool) + ": " + Escaped(problem) + "\n");
        return false;
    }
    return true;
}

int Refuse(std::string_view tool, std::string_view arg) {
    platform::PrintError("ranks " + std::string(tool) + ": unknown argument '" + Escaped(arg) + "'\n");
    platform::PrintError(kUsage);
    return 2;
}

}  // namespace

int RunAuthoringCommand(int argc, char** argv) {
    if (argc < 2) return -1;
    const std::string_view tool = argv[1];
    if (tool != "check" && tool != "balance") return -1;
    std::string given;
    int battles = kDefaultBattles;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (tool == "balance" && arg == "--battles" && i + 1 < argc) {
            const std::string n = argv[++i];
            if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos || std::stoi(n) < 1)
                return Refuse(tool, n);
            battles = std::stoi(n);
        } else if (given.empty() && !arg.empty() && arg[0] != '-') {
            given = arg;
        } else {
            return Refuse(tool, arg);
        }
    }
    std::string dir;
    if (!PickWorld(given, tool, dir)) return 2;
    if (tool == "check") {
        const CheckResult result = CheckWorld(dir);
        platform::PrintOut(FormatCheck(result, dir));
        return result.errors > 0 ? 1 : 0;
    }
    return RunBalance(dir, battles);
}

}  // namespace rf::authoring
