// Figures of saved games and replays, run by hand:
//   build/bin/ranks_bench_saves FOLDER [WORLD RECORDING...]
// the size of a save and the time to write one atomically (flushed to disk)
// in FOLDER, and for each recording made on WORLD the time to replay it
// headless without pauses.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/world_folder.h"
#include "own_folders.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/player_files.h"
#include "platform/recording.h"
#include "program/resume.h"
#include "program/startup.h"
#include "replay/recording_file.h"
#include "saves/autosave.h"

namespace {

using namespace rf;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ranks_bench_saves FOLDER [WORLD RECORDING...]\n");
        return 2;
    }
    const test::OwnFolders ownFolders;  // the replays' games keep nothing of the player's
    SaveData save;
    save.world = "default";
    save.worldDigest = "137394241a87819a";
    save.hero.mapNumber = 5;
    std::memcpy(save.hero.name, "Hero", 5);
    const std::string text = ComposeSave(save);
    const std::string path = std::string(argv[1]) + "/bench.save";
    constexpr int kWrites = 50;
    auto start = Clock::now();
    std::string problem;
    platform::FileIdentity kept;
    bool changed = false;
    for (int i = 0; i < kWrites; ++i) platform::WriteFileAtomically(path, ComposeSave(save), kept, changed, problem);
    std::printf("save: %zu bytes, %.2f ms to write atomically (mean of %d)\n", text.size(), MsSince(start) / kWrites,
                kWrites);
    std::remove(path.c_str());

    for (int i = 3; i < argc; ++i) {
        std::string error;
        std::size_t eventsAt = 0;
        RecordingHeader header;
        const platform::DataFileBytes head = platform::ReadDataFile(argv[i], kLongestRecordingHeader);
        if (!ParseRecording(head.bytes, header, eventsAt, error)) {
            std::printf("%s: cannot be read %s\n", argv[i], error.c_str());
            continue;
        }
        ResetGameState();
        headless::Reset();
        dataRoot = argv[2];
        start = Clock::now();
        if (!platform::StartReplay(argv[i], eventsAt, 0, true, error)) {
            std::printf("%s: %s\n", argv[i], error.c_str());
            continue;
        }
        try {
            if (header.resumed) ResumeGame(header.save);
            else StartUp();
            MainLoop();
        } catch (const headless::ExitCalled&) {
        }
        const double ms = MsSince(start);
        std::printf("%s: %.1f s of game time replayed in %.1f ms (%.0fx)\n", argv[i],
                    static_cast<double>(headless::NowMs()) / 1000.0, ms, static_cast<double>(headless::NowMs()) / ms);
        platform::UseBackend(platform::HeadlessBackend());
    }
    return 0;
}
