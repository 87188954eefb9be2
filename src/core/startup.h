// The game's start-up sequence and its main loop.
#pragma once

#include <string>

namespace rf {

// Picks the folder holding the data: `requested` when given, else the
// working directory when it holds the game's data folders, else the default
// world the build placed beside the executable.
std::string ChooseDataRoot(const std::string& requested);
// The default world installed with the program (empty when there is none).
std::string InstalledWorld();
// Why `dir` cannot be a world (not a folder, or none of the six data
// folders in it); empty when it can.
std::string WorldFolderProblem(const std::string& dir);

void StartUp();
// The field screen as a game starts: the map, the mini-map (its text read
// between frame and content) and the legend.
void DrawFirstFieldScreen();
// If a key is waiting, hands it to the hero.
void PollHeroKey();
// The whole field screen: field, mini-map frame, content and mark, legend.
void DrawFieldScreen();
// One pass of the main loop.
void MainLoopPass();
[[noreturn]] void MainLoop();

// Blanks 30 rows of 80 cells from the top-left cell.
void ClearScreen();

}  // namespace rf
