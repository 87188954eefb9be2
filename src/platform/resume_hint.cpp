// How a saved game is resumed from the command line (the page has its own).
#include "platform/player_files.h"

namespace rf::platform {

std::string HowToResume(const std::string& saveName, bool mostRecentOfTheWorld) {
    return mostRecentOfTheWorld ? "ranks --continue" : "ranks --continue " + saveName;
}

}  // namespace rf::platform
