// A whole hostile world and a stream of keys: the real game starts on it and
// plays until the keys run out, and the records stay sound at every key it
// reads and after every pass of the main loop. A game that keeps polling
// without taking a key or letting time pass is stuck: that is a finding too.
// (The default world is in the seed corpus, so it is played the same way.)
//
// The input is cut at NUL bytes: the hero file, the six enemy files, the five
// ability files, the world info, the mini-map, the nine enemy lists, the
// keys, then the map pictures (the last one given stands for the rest, so a
// world fits in a few kilobytes). A piece that is not there is a missing file.
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/world_manifest.h"
#include "platform/headless/headless.h"
#include "program/startup.h"
#include "support.h"

namespace {

// The files other than the maps' pictures and enemy lists, in the world's
// own order: the hero, the six kinds, the five abilities, the world info and
// the mini-map.
std::vector<std::string> StatusFiles() {
    std::vector<std::string> names;
    for (const rf::WorldFileId& id : rf::WorldFiles())
        if (id.kind != rf::WorldFileKind::kMapForm && id.kind != rf::WorldFileKind::kEnemyList)
            names.push_back(rf::WorldFileName(id));
    return names;
}
const std::vector<std::string> kStatusFiles = StatusFiles();
const std::size_t kStatusCount = kStatusFiles.size();
const std::size_t kKeysPiece = kStatusCount + rf::kMaps;
constexpr std::size_t kMaxKeys = 200;

void PlaceFile(const std::string& name, const std::vector<std::string_view>& pieces, std::size_t i) {
    if (i < pieces.size()) rf::fuzz::WriteScratchFile(name, pieces[i]);
    else rf::fuzz::RemoveScratchFile(name);
}

// One key byte: its low nibble picks the key, its high nibble the pause
// before it, in steps of 40 ms of game time; 15 holds the key back until the
// game waits for one.
void QueueKey(unsigned char b, std::int64_t& clock) {
    using namespace rf::headless;
    std::int64_t at = -1;
    if ((b >> 4) != 15) {
        clock += (b >> 4) * 40;
        at = clock;
    }
    static constexpr int kScans[] = {kUp, kDown, kLeft, kRight};
    const int pick = b & 0x0F;
    if (pick < 4) {
        Arrow(kScans[pick], at);
    } else if (pick < 6) {
        Key(0, at);  // the other extended-key prefix
        Key(kScans[pick - 4], at);
    } else if (pick < 10) {
        Key("HKMP"[pick - 6], at);
    } else if (pick < 12) {
        Key(pick == 10 ? kEnter : kSpace, at);
    } else if (pick == 12) {
        Key(kEnter, at);
        Key(kEnter, at);
    } else {
        Key(b, at);  // anything else
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame(size);
    const auto pieces = fuzz::SplitAtNul(data, size);
    for (std::size_t i = 0; i < kStatusCount; ++i) PlaceFile(kStatusFiles[i], pieces, i);
    for (int m = 1; m <= kMaps; ++m)
        PlaceFile(WorldFileName({WorldFileKind::kEnemyList, m}), pieces,
                  kStatusCount + static_cast<std::size_t>(m) - 1);
    for (int n = 1; n <= kMaps; ++n) {
        std::size_t i = kKeysPiece + static_cast<std::size_t>(n);
        if (i >= pieces.size()) i = pieces.size() > kKeysPiece + 1 ? pieces.size() - 1 : pieces.size();
        const std::string name = WorldFileName({WorldFileKind::kMapForm, n});
        if (i < pieces.size()) fuzz::WriteScratchFile(name, pieces[i]);
        else fuzz::WriteScratchFile(name, std::string_view());
    }
    std::int64_t at = 0;
    if (kKeysPiece < pieces.size()) {
        const std::string_view keys = pieces[kKeysPiece];
        for (std::size_t k = 0; k < keys.size() && k < kMaxKeys; ++k) QueueKey(static_cast<unsigned char>(keys[k]), at);
    }
    // Enemies keep the game busy without keys: the run ends a while after the last one.
    headless::SetLimits(3'000'000, at + 20'000);
    headless::SetKeyObserver([] { fuzz::CheckRecords(true); });
    try {
        StartUp();
        for (;;) {
            MainLoopPass();
            fuzz::CheckRecords(false);
        }
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::Watchdog& w) {
        if (w.why != "virtual time limit") __builtin_trap();
    } catch (const headless::ExitCalled&) {
    }
    headless::SetKeyObserver(nullptr);
    return 0;
}
