// When the game is saved: once it has started, after every map change,
// after every battle, and on every way out the game controls. In battle the
// save keeps the field state from just before the encounter.
#pragma once

#include <string>

#include "saves/save_format.h"

namespace rf {

// The state a save holds now.
SaveData CurrentSave();
// Writes the save file if this run keeps one; false when it could not.
bool WriteSave();

// The hooks of the main loop and the encounter.
void SaveIfMapChanged();
void NoteEncounter();
// A map change from its start (the map number changed) to the hero placed
// on the new map: a quit in between saves the old map and cell.
void NoteMapChange();
void NoteMapChanged();
void SaveAfterBattle();
// The game stopped for a missing map file: the save stays as it was last
// written, whatever the player does now.
void NoteStop();
// The before-exit hook: saves, and says on standard error where the game
// is saved and how to resume it (or why it is not saved).
void SaveOnQuit();
// The same save, and the words without printing them (the field menu's
// Quit leaves them for after the terminal is back).
std::string SaveForQuitting();
// What quitting would save, saved, without a word (the page, which may be
// closed at any moment).
void SaveNow();

}  // namespace rf
