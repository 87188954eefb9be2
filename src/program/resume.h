// Resuming a saved game: start-up with the saved hero, item effects, opened
// strip and piece mark, the hero on his saved map and cell, its enemies
// read afresh.
#pragma once

#include <string>

#include "saves/save_format.h"

namespace rf {

// Empty, or what had to be changed to play the save (a hero saved on a wall
// is moved to the nearest free cell).
std::string ResumeGame(const SaveData& save);
// The two halves of ResumeGame, so the console is taken between them: what
// is read (a missing map stops here), then the first screen.
std::string LoadResumedGame(const SaveData& save);
void DrawResumedGame(const SaveData& save);

}  // namespace rf
