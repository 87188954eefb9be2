// The recording reader and the replay: any event text is refused or replays
// on a small world until its events run out, with the records sound after
// every pass of the main loop.
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/world_manifest.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/recording.h"
#include "platform/recording/session_events.h"
#include "program/startup.h"
#include "support.h"

namespace {

void WriteWorld() {
    using namespace rf;
    using rf::fuzz::WriteScratchFile;
    WriteScratchFile(WorldFileName({WorldFileKind::kHero}), "Hero 40 8 6 5 5 8 70 0 1 0 0 0 0 1 5 2 3 3 3 8 4\n");
    for (int k = 0; k < kEnemyKinds; ++k)
        WriteScratchFile(WorldFileName({WorldFileKind::kEnemy, k}),
                         std::string(kKindNames[k]) + " " + std::to_string(k + 1) + " " + "oxOXQK"[k] +
                             " 0 1 12 6 4 3 3 5 " + std::to_string(k % 5) + "\n");
    for (int a = 0; a < kAbilities; ++a)
        WriteScratchFile(WorldFileName({WorldFileKind::kAbility, a}), std::string(kAbilityNames[a]) + " 0 10 90\n");
    std::string blank;
    for (int y = 0; y < 20; ++y) blank += std::string(59, ' ') + "\n";
    for (int n = 1; n <= 9; ++n) {
        WriteScratchFile(WorldFileName({WorldFileKind::kMapForm, n}), blank);
        WriteScratchFile(WorldFileName({WorldFileKind::kEnemyList, n}),
                         n == 1 ? "2\n1 2 16 6\n2 1 40 12\n" : "1\n3 3 30 10\n");
    }
    WriteScratchFile(WorldFileName({WorldFileKind::kWorldInfo}), "7 21 8 9 29 13 9 31 1 1\n");
    WriteScratchFile(WorldFileName({WorldFileKind::kMiniMap}), std::string("mini\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame();
    WriteWorld();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<platform::SessionEvent> events;
    std::string error;
    if (!platform::ParseEvents(text, events, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    // Any count: a replay reads it without an exception of its own; the
    // watchdog (what ends a long run here) is the only one that may come.
    if (!platform::StartReplayOf(std::string(text), 0, true, error)) __builtin_trap();
    headless::SetLimits(300'000, 3'600'000);
    try {
        StartUp();
        for (;;) {
            MainLoopPass();
            fuzz::CheckRecords(false);
        }
    } catch (const headless::ExitCalled&) {
    } catch (const headless::Watchdog&) {
    } catch (const headless::ScriptEnded&) {
    }
    platform::UseBackend(platform::HeadlessBackend());
    return 0;
}
