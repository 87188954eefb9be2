// `ranks balance`: real battles on the headless session with the game's
// own rules, for every enemy kind and group size of a world and a few hero
// levels, summed up in a table and an estimate of the play time.
#pragma once

#include <string>

namespace rf::authoring {

inline constexpr int kDefaultBattles = 200;

// Prints the report for the world in `dir`; returns the exit status.
int RunBalance(const std::string& dir, int battles);

}  // namespace rf::authoring
