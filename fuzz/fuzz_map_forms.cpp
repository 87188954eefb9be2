// The nine map pictures and the world info: any bytes, cut among the files
// in any way and with any of them missing, fill the grid without a line
// feed or byte 255 in it, and every map of it can be drawn and scrolled.
#include <string>

#include "core/game_state.h"
#include "core/world_manifest.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "platform/headless/headless.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    if (size < 9) return 0;
    fuzz::FreshGame(size);
    // The first nine bytes give each file's share of the rest, in 16-byte
    // steps; 255 leaves the file out, 250 to 254 put an odd file there.
    std::size_t next = 9;
    for (int n = 1; n <= 9; ++n) {
        const std::string name = WorldFileName({WorldFileKind::kMapForm, n});
        if (data[n - 1] >= 250) {
            fuzz::PlaceOddFile(name, data[n - 1] == 255 ? 0 : data[n - 1] - 250);
            continue;
        }
        std::size_t share = std::min<std::size_t>(static_cast<std::size_t>(data[n - 1]) * 16, size - next);
        fuzz::WriteScratchFile(name, data + next, share);
        next += share;
    }
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kWorldInfo}), data + next, size - next);
    try {
        LoadMapForms(worldNumber);
    } catch (const headless::ExitCalled&) {
        return 0;  // the missing-file stop
    }
    for (const auto& row : worldGrid.cells)
        for (unsigned char c : row)
            if (c == '\n' || c == 255) __builtin_trap();
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        DrawField();
        DrawScrollColumns(-59);
        DrawScrollColumns(59);
        DrawScrollRows(-19);
        DrawScrollRows(19);
    }
    fuzz::CheckRecords(false);
    return 0;
}
