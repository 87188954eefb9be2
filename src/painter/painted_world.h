// The world as the painter holds it: the nine pictures as the game reads
// them, each map's enemies, the marks, the strip and the start, with the
// bytes every file had when it was read, so that a save writes only what
// changed, in the encoding it was written in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_state.h"
#include "core/map_geometry.h"
#include "core/world_file.h"
#include "core/world_manifest.h"

namespace rf::painter {

// The columns a painted row holds: the last cell of a picture's row is its
// line's end.
inline constexpr int kPaintedColumns = kMapColumns - 1;

// What the author changes.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the check sees the compiler's own loop name
struct WorldState {
    unsigned char cells[kMaps][kMapRows][kMapColumns] = {};
    std::vector<FieldEnemy> enemies[kMaps];
    WorldInfo info;
    int startMap = 1, startX = 0, startY = 0;
};
bool SameState(const WorldState& a, const WorldState& b);

// A file of the world as it was read (or last saved).
struct KeptFile {
    WorldFileId id;
    bool exists = false;
    std::string raw;  // its bytes on disk
};

struct PaintedWorld {
    std::string dir;
    WorldState now, saved;
    std::vector<KeptFile> files;  // every file the painter may write
    bool utf8World = false;       // what a file in plain ASCII is written in
};

// Reads the world in `dir` with the game's loaders (on the headless
// session, so a missing file stops nothing: its map is blank), leaving the
// enemy kinds and the mini-map in the game's records. False, with the
// reason, when it is no world.
bool LoadPaintedWorld(const std::string& dir, PaintedWorld& world, std::string& problem);

// The file's bytes as a save would write them from `state` (its own
// encoding, line ends and byte-order mark kept, unchanged lines of a
// picture kept byte for byte).
std::string FileBytes(const PaintedWorld& world, const KeptFile& file, const WorldState& state);
// The files whose bytes a save would change.
std::vector<const KeptFile*> ChangedFiles(const PaintedWorld& world);
bool Unsaved(const PaintedWorld& world);
// The files a save would write, as it would write them: read in their
// place, they give the checker the world as painted.
std::vector<HeldFile> UnsavedFiles(const PaintedWorld& world);
// Copies every file the game reads of the world into `folder` (new and
// empty) as a save would leave them: the changed ones as a save writes
// them, the others as they are on disk. The world's own folder is only
// read. False, with the reason.
bool CopyAsSaved(const PaintedWorld& world, const std::string& folder, std::string& problem);
// The files a save would write that differ on disk from what was read or
// last saved.
std::vector<std::string> ChangedOnDisk(const PaintedWorld& world);
// Writes every changed file atomically; false, with the reason, at the first
// that fails (those before it are written).
bool SavePaintedWorld(PaintedWorld& world, std::string& problem);

// Painting on map `map` (1 to 9), cells counted from 0. A full-width
// character (two bytes) takes its cell and the next; whatever it covers
// half is blanked, so no byte is left without its pair.
// The character that covers a cell: its first column and its bytes.
struct CellCharacter {
    int x = 0;
    std::string bytes;
};
CellCharacter CharacterAt(const WorldState& state, int map, int x, int y);
// Puts one character (one or two code page 932 bytes); false when it does
// not fit (a full-width one in the last column).
bool PutCharacter(WorldState& state, int map, int x, int y, std::string_view character);

struct Block {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // inclusive, any corner order
};
// Fills the block with the character (full-width ones two cells at a time,
// an odd cell left blank); a blank erases.
void FillBlock(WorldState& state, int map, Block block, std::string_view character);
// The block's rows, a character cut by its edge a blank.
std::vector<std::string> CopyBlock(const WorldState& state, int map, Block block);
// Puts the rows with their top left at (x, y), cut at the map's edge.
void PasteBlock(WorldState& state, int map, int x, int y, const std::vector<std::string>& rows);

// The enemy group standing on the cell (its two cells), or -1.
int EnemyAt(const WorldState& state, int map, int x, int y);

}  // namespace rf::painter
