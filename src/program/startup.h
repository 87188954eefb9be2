// The game's start-up sequence and its main loop.
#pragma once

namespace rf {

void StartUp();
// The field screen as a game starts: the map, the mini-map (its text read
// between frame and content) and the legend.
void DrawFirstFieldScreen();
// The whole field screen: field, mini-map frame, content and mark, legend.
void DrawFieldScreen();
// One pass of the main loop.
void MainLoopPass();
[[noreturn]] void MainLoop();

}  // namespace rf
