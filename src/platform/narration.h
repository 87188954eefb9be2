// What the console shows, as text a screen reader can speak: the message
// window's newest message (code page 932), and on the field the map, level
// and the HP the hero will fight with. Only the web page mirrors it (in a
// live region); elsewhere nothing happens, and the screen, recordings and
// replays never depend on it.
#pragma once

#include <string_view>

namespace rf::platform {

void NarrateMessage(std::string_view text);
void NarrateField(int map, int level, int hp);

}  // namespace rf::platform
