// When the game is saved: at the start, after every map change, after every
// battle, and on every way out the game controls. In battle the save keeps
// the field state from just before the encounter.
#pragma once

#include "saves/save_format.h"

namespace rf {

// The state a save holds now.
SaveData CurrentSave();
// Writes the save file if this run keeps one; false when it could not.
bool WriteSave();

// The hooks of the main loop and the encounter.
void SaveIfMapChanged();
void NoteEncounter();
void SaveAfterBattle();
// The before-exit hook.
void SaveOnQuit();

}  // namespace rf
