// What the saved game keeps track of while a game runs.
#pragma once

#include <cstdint>
#include <string>

#include "core/game_state.h"
#include "platform/player_files.h"

namespace rf {

// Besides the hero and the item effects.
struct SaveKeeping {
    bool enabled = false;  // this run writes its save file
    // Why this run keeps no save (no data folder, a folder that cannot be
    // written); empty when it does or is not asked to.
    std::string unavailable;
    // Why the last write failed; empty after a good one.
    std::string lastProblem;
    // The game stopped for a missing map file in the middle of a change of
    // map: the last save stays as it was.
    bool stopped = false;
    // Marks shown on entering their maps; their strip stays open.
    bool queenMarkShown = false;
    bool kingMarkShown = false;
    // Between an encounter and the end of its battle the save holds the
    // field state from just before the encounter.
    bool inBattle = false;
    HeroStatus heroBeforeBattle;
    ItemEffectState effectsBeforeBattle;
    bool markOnScreenBeforeBattle = false;
    // From a map change's start to the hero's placing on the new map, the
    // save holds the old map and cell.
    bool changingMap = false;
    HeroStatus heroBeforeMapChange;
    bool markOnScreenBeforeMapChange = false;
    std::uint32_t loadsAtSave = 0;  // fieldEnemies.loads when last saved
    std::string path;               // the save file
    platform::FileIdentity file;    // the file the game opened there
    // The save's name came to hold another file during the game: it was
    // left alone and the game saved under `path`, a new name.
    std::string replacedName;
    // A language this game lacks, as the continued save named it: kept in
    // the save while the game plays in `languageInstead`.
    std::string unknownLanguage;
    std::int16_t languageInstead = 0;
    bool defaultWorld = false;  // the world installed with the game
    std::string world;          // the world as the save names it
    std::string worldDigest;
    std::int64_t startedAt = 0;  // when the game was begun
    // The wall clock when this session began, for the time played a save
    // keeps; 0 before the game has started.
    std::int64_t sessionWallStart = 0;
    // The game as it was started (argv[0]), for the farewell's command.
    std::string command;
};

extern SaveKeeping saveKeeping;

}  // namespace rf
