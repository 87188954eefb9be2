// How a saved game is resumed from the command line (the page has its own).
#include "platform/player_files.h"

namespace rf::platform {
namespace {

#ifdef _WIN32
constexpr char kPlainBytes[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./\\:-+";
#else
constexpr char kPlainBytes[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./:-+";
#endif

// The program as the player typed it (a path, or the name the shell
// found), quoted when the shell would split it.
std::string Typed(const std::string& command) {
    if (command.empty()) return "ranks";
    if (command.find_first_not_of(kPlainBytes) == std::string::npos) return command;
#ifdef _WIN32
    return "\"" + command + "\"";
#else
    std::string quoted = "'";
    for (char c : command) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

}  // namespace

std::string HowToResume(const std::string& command, const std::string& saveName, bool mostRecentOfTheWorld) {
    const std::string continuing = Typed(command) + " --continue";
    return mostRecentOfTheWorld ? continuing : continuing + " " + saveName;
}

}  // namespace rf::platform
