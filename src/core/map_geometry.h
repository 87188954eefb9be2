// The world's geometry: nine maps, three by three, each a picture of 20
// rows by 60 cells. The hero's mark is two cells wide and a sideways step
// two cells long, so the mark's last columns follow from the width.
#pragma once

#include <string>

namespace rf {

inline constexpr int kMapsAcross = 3;
inline constexpr int kMapsDown = 3;
inline constexpr int kMaps = kMapsAcross * kMapsDown;
inline constexpr int kMapRows = 20;
inline constexpr int kMapColumns = 60;

inline constexpr int kLastHeroRow = kMapRows - 1;
// The last column where a two-cell mark fits.
inline constexpr int kLastHeroColumn = kMapColumns - 2;
// A step right leaves the map from this column, and a step left into the
// map on the left lands on it.
inline constexpr int kRightExitColumn = kLastHeroColumn - 1;

// The map numbers, as messages say them.
inline std::string MapNumbersText() { return "1 to " + std::to_string(kMaps); }

// The cells the hero can stand on, as the checker's messages say it.
inline std::string HeroCellsText() {
    return "columns 0 to " + std::to_string(kLastHeroColumn) + ", rows 0 to " + std::to_string(kLastHeroRow);
}

}  // namespace rf
