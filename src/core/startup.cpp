#include "startup.h"

#include "console/console.h"
#include "data_files.h"
#include "game_state.h"
#include "platform/platform.h"

namespace rf {
namespace {

bool HoldsGameData(const std::string& dir) {
    std::string prefix = dir.empty() ? std::string() : dir + platform::PathSeparator();
    return platform::DirectoryExists(prefix + "Hero_Info") || platform::DirectoryExists(prefix + "map_form");
}

}  // namespace

std::string ChooseDataRoot(const std::string& requested) {
    if (!requested.empty()) return requested;
    if (HoldsGameData("")) return "";
    std::string exeDir = platform::ExecutableDirectory();
    if (!exeDir.empty()) {
        std::string world = exeDir + platform::PathSeparator() + "world";
        if (HoldsGameData(world)) return world;
    }
    return "";
}

void StartUp() {
    SetTextAttribute(kPlain);
    HideCursor();
    // A status file that cannot be read leaves its record zero; start-up goes on.
    LoadHeroStatus();
    LoadAllEnemyStatus();
    LoadAllAbilities();
}

void MainLoopPass() {
    if (KeyWaiting()) ReadKey();
}

void MainLoop() {
    for (;;) MainLoopPass();
}

void ClearScreen() {
    MoveTo(0, 0);
    for (int i = 0; i < 30; ++i) WriteSpaces(80);
}

}  // namespace rf
