// The game's start-up sequence and its main loop.
#pragma once

namespace rf {

// Where a play-test begins (ranks --start MAP[,X,Y] --level N): map 0 and
// level 0 keep the world's own start.
struct StartPlace {
    int map = 0;
    int x = -1, y = -1;  // -1: the hero file's cell (on a wall: the nearest free one)
    int level = 0;
};

// Start-up: LoadNewGame, then DrawNewGame.
void StartUp(const StartPlace& place = {});
// What a new game reads before anything is drawn, so the console can be
// taken between the two (a missing map stops here, and takes it itself).
void LoadNewGame(const StartPlace& place = {});
// The first screen: attribute 7, the cursor hidden, the field screen (and
// a play-test's map mark).
void DrawNewGame(const StartPlace& place = {});
// The field screen as a game starts: the map, the mini-map (its text read
// between frame and content) and the legend.
void DrawFirstFieldScreen();
// The whole field screen: field, mini-map frame, content and mark, legend.
void DrawFieldScreen();
// One pass of the main loop.
void MainLoopPass();
[[noreturn]] void MainLoop();

}  // namespace rf
