// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::fuzz {

// A private scratch directory, made once per process, used as the data root.
const std::string& ScratchRoot();
// Writes the bytes to a file below the scratch root. Two bytes 0xFF k put
// something else there instead (PlaceOddFile).

void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size);
void WriteScratchFile(const std::string& relative, std::string_view bytes);
// Puts what is no data file at the path, by kind modulo 5: nothing, a
// folder, a FIFO, a link to /dev/zero, a link to /dev/urandom.
void PlaceOddFile(const std::string& relative, int kind);
// Takes a file away, so that a missing file can be part of an input.
void RemoveScratchFile(const std::string& relative);

// A clean game and console with the scratch root as the data folder.
void FreshGame();
// The same, with the load log on for odd sizes.
void FreshGame(std::size_t size);

// The input cut at every NUL byte.
std::vector<std::string_view> SplitAtNul(const std::uint8_t* data, std::size_t size);

// The records and the screen as they must be whenever the game reads a key
// or finishes a main-loop pass (`inBattle` lifts the rules that only hold
// outside a battle). Traps when one is broken.
void CheckRecords(bool inBattle);

}  // namespace rf::fuzz
