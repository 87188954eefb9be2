// The world info file: whatever the bytes, the Queen's and King's marks
// and the opening strip they open stay within the screen and the grid.
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/map_geometry.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "platform/headless/headless.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame(size);
    fuzz::WriteScratchFile("map_info/map1.txt", data, size);
    for (auto& row : worldGrid.cells)
        for (unsigned char& c : row) c = '#';
    try {
        LoadWorldInfo(WorldFilePath({WorldFileKind::kWorldInfo}));
    } catch (const headless::ExitCalled&) {
        return 0;  // the missing-file stop: not a data file
    }
    DrawPieceMark("Ω", worldInfo.queenMark);
    DrawPieceMark("Ψ", worldInfo.kingMark);
    // Only rows 0 and 1 of one map may have opened, at most ten cells each.
    int opened = 0;
    for (int y = 0; y < WorldGrid::kRows; ++y)
        for (int x = 0; x < WorldGrid::kColumns; ++x)
            if (worldGrid.cells[y][x] == ' ') {
                ++opened;
                if (y % kMapRows > 1) __builtin_trap();
            }
    if (opened > 20) __builtin_trap();
    // A start map outside the world stops the game when its enemy list is read.
    if (hero.mapNumber < 1 || hero.mapNumber > kMaps) return 0;
    fuzz::CheckRecords(false);
    return 0;
}
