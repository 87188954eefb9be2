// The mini-map picture: any bytes fill its text without a line feed or
// byte 255, and its window and mark draw for every map inside the frame.
#include "core/game_state.h"
#include "core/world_manifest.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "platform/headless/headless.h"
#include "support.h"

namespace {

bool MovesCursor(int map) {
    const int c = rf::MapColumnOf(map);
    const int r = rf::MapRowOf(map);
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < 15; ++i) {
            const unsigned char b = rf::miniMapText.text[2 * r + k][2 * c + i];
            if (b == '\t' || b == '\r') return true;
        }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame(size);
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kMiniMap}), data, size);
    try {
        LoadMiniMap(worldNumber);
    } catch (const headless::ExitCalled&) {
        return 0;  // the missing-file stop: not a data file
    }
    for (const auto& row : miniMapText.text)
        for (unsigned char c : row)
            if (c == '\n' || c == 255) __builtin_trap();
    bool moved = false;
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        DrawMiniMapFrame();
        DrawMiniMap();
        DrawMiniMapMark();
        // Nothing of the window may reach the field or the legend, unless its
        // text moves the cursor itself (a tab or a carriage return does so on
        // the console as well).
        moved = moved || MovesCursor(m);
        if (moved) continue;
        for (int y = 7; y < 21; ++y)
            for (int x = 0; x < 80; ++x)
                if (headless::Screen().At(x, y).code != ' ' && headless::Screen().At(x, y).code != 0) __builtin_trap();
    }
    return 0;
}
