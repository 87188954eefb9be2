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

void StartUp(const StartPlace& place = {});
// The field screen as a game starts: the map, the mini-map (its text read
// between frame and content) and the legend.
void DrawFirstFieldScreen();
// The whole field screen: field, mini-map frame, content and mark, legend.
void DrawFieldScreen();
// One pass of the main loop.
void MainLoopPass();
[[noreturn]] void MainLoop();

}  // namespace rf
