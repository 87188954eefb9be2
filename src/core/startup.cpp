#include "startup.h"

#include <string>
#include <string_view>

#include "console/console.h"
#include "data_files.h"
#include "field/field_enemies.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "game_state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "saves/autosave.h"

#ifndef RANKS_WORLD_FROM_BIN
#define RANKS_WORLD_FROM_BIN "../share/ranks/world"
#endif

namespace rf {
namespace {

bool HoldsGameData(const std::string& dir) {
    std::string prefix = dir.empty() ? std::string() : dir + platform::PathSeparator();
    return platform::DirectoryExists(prefix + "Hero_Info") || platform::DirectoryExists(prefix + "map_form");
}

constexpr const char* kDataFolders[] = {"Hero_Info", "Enemy_Info", "Abilities", "map_form", "map_info", "mini_map"};

}  // namespace

std::string InstalledWorld() {
    std::string exeDir = platform::ExecutableDirectory();
    if (exeDir.empty()) return "";
    // Beside the program in a build tree; where `cmake --install` puts it otherwise.
    for (std::string_view where : {std::string_view("world"), std::string_view(RANKS_WORLD_FROM_BIN)}) {
        std::string world = exeDir + platform::PathSeparator() + std::string(where);
        if (HoldsGameData(world)) return world;
    }
    return "";
}

std::string WorldFolderProblem(const std::string& dir) {
    if (!platform::DirectoryExists(dir)) return dir + " is not a folder";
    const std::string prefix = dir + platform::PathSeparator();
    for (const char* folder : kDataFolders)
        if (platform::DirectoryExists(prefix + folder)) return "";
    return dir + " holds none of the data folders Hero_Info, Enemy_Info, Abilities, map_form, map_info, mini_map";
}

std::string ChooseDataRoot(const std::string& requested) {
    if (!requested.empty()) return requested;
    if (HoldsGameData("")) return "";
    return InstalledWorld();
}

void StartUp() {
    SetTextAttribute(kPlain);
    HideCursor();
    // A status file that cannot be read leaves its record zero; start-up goes on.
    LoadHeroStatus();
    LoadAllEnemyStatus();
    LoadAllAbilities();
    // A start cell off the field would put the hero where no step can reach.
    ClampHeroCell();
    LoadMapForms(worldNumber);
    LoadMapEnemies(worldNumber);
    DrawFirstFieldScreen();
}

void DrawFirstFieldScreen() {
    DrawField();
    DrawMiniMapFrame();
    // The mini-map text is read between its frame and its content.
    LoadMiniMap(worldNumber);
    DrawMiniMap();
    DrawMiniMapMark();
    DrawLegend();
}

void PollHeroKey() {
    if (!KeyWaiting()) return;
    MoveHero(ReadKey());
    SaveIfMapChanged();
}

void DrawFieldScreen() {
    DrawField();
    DrawMiniMapFrame();
    DrawMiniMap();
    DrawMiniMapMark();
    DrawLegend();
}

void MainLoopPass() {
    PollHeroKey();
    // The count is read again every time: a battle or a map change alters it.
    for (std::int16_t i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        FieldEnemy& e = fieldEnemies.entries[i];
        if (EnemyTurn(e.kind, e.x, e.y, e.groupSize) == kBattleFought) {
            RemoveFieldEnemy(i);
            ClearScreen();
            MoveTo(0, 0);
            DrawFieldScreen();
            // The marks belong to the map; the strip they open is open already.
            DrawCurrentPieceMark();
            SaveAfterBattle();
        }
        PollHeroKey();
    }
}

void MainLoop() {
    for (;;) MainLoopPass();
}

void ClearScreen() {
    MoveTo(0, 0);
    for (int i = 0; i < 30; ++i) WriteSpaces(80);
}

}  // namespace rf
