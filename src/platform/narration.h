// What the console shows, as text a screen reader can speak (code page
// 932): the message window's newest message, and the game's own lines on
// what changed (arriving on a map, a battle's start, each selection, the
// level-up rows). Only the web page mirrors it (in a live region);
// elsewhere nothing happens, and the screen, recordings and replays never
// depend on it.
#pragma once

#include <string_view>

namespace rf::platform {

void NarrateMessage(std::string_view text);
// A line the game says; the line just said is not said again.
void Narrate(std::string_view text);
// Whether anything shows the narration: without it the game does not make
// its lines at all.
bool Narrating();
// Where the player looks (the hero's cell on the field), for a view that
// shows a part of the screen at a time: the page zoomed on a phone.
void Focus(int x, int y);

}  // namespace rf::platform
