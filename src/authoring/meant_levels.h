// world.txt's "levels": the level each map is meant for, map 1 first. The
// game never reads it; `ranks balance` plays each map's battles there, the
// checker says what is wrong with it, and the journey's benchmark walks by it.
#pragma once

#include <cstddef>
#include <string>

#include "core/map_geometry.h"

namespace rf::authoring {

struct MeantLevels {
    int level[kMaps + 1] = {};  // by map number; all 0 when they are not taken
    bool given = false;         // world.txt has a levels line with something on it
    std::string why;            // why they are not taken, or ""
    std::size_t at = 0;         // where in world.txt's text the fault stands
};

// From the world file as last loaded (LoadWorldAbout).
MeantLevels ReadMeantLevels();

}  // namespace rf::authoring
