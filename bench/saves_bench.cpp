// Figures of saved games and replays, run by hand:
//   build/bin/ranks_bench_saves FOLDER [WORLD RECORDING...]
// the size of a save and the time to write one atomically (flushed to disk)
// in FOLDER, and for each recording made on WORLD the time to replay it
// headless without pauses;
//   build/bin/ranks_bench_saves --many RANKS WORLD [SAVES] [RUNS]
// what a folder of SAVES saved games (10,000) costs the real binary RANKS,
// beside an empty one: a new game's first field frame (from the start to
// the last of its legend on a pseudo-terminal), --saves to its end, and
// --continue's first field frame; medians of RUNS (5). Its own HOME and XDG
// folders, in a temporary folder removed at the end.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#define RANKS_MANY_SAVES 1
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "pty_process.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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

#ifdef RANKS_MANY_SAVES
namespace fs = std::filesystem;

// The game on a terminal of its own, answering the start-up width question
// with one cell, until `until` shows; the milliseconds it took (-1: never).
// Ctrl+C then quits it.
double UntilShown(const std::vector<std::string>& args, const std::string& until) {
    test::PtyProcess game;
    const auto start = Clock::now();
    if (!game.Start(args)) return -1;
    std::string seen;
    bool answered = false;
    double ms = -1;
    while (MsSince(start) < 10'000) {
        seen += game.Read(50);
        if (const std::size_t at = seen.find("\xe2\x96\xa0\x1b[6n"); !answered && at != std::string::npos) {
            // "\x1b[ROW;COLH" before the glyph: the cursor one cell on.
            const std::size_t csi = seen.rfind("\x1b[", at);
            int row = 0, column = 0;
            if (csi != std::string::npos && std::sscanf(seen.c_str() + csi, "\x1b[%d;%dH", &row, &column) == 2)
                game.Send("\x1b[" + std::to_string(row) + ";" + std::to_string(column + 1) + "R");
            answered = true;
        }
        if (seen.find(until) != std::string::npos) {
            ms = MsSince(start);
            break;
        }
    }
    game.Send("\x03");
    game.Wait(5000);
    return ms;
}

// A command run to its end, its output thrown away; milliseconds.
double ToItsEnd(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return MsSince(start);
}

double Median(const std::function<double()>& run, int runs) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) ms.push_back(run());
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::vector<fs::path> Names(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path());
    std::sort(names.begin(), names.end());
    return names;
}

// What a new game left (its save, its recording), so every run finds the
// folder as the first did.
void RemoveAllBut(const fs::path& folder, const std::vector<fs::path>& kept) {
    for (const fs::path& name : Names(folder))
        if (!std::binary_search(kept.begin(), kept.end(), name)) fs::remove(name);
}

int ManySaves(int argc, char** argv) {
    const std::string ranks = fs::absolute(argv[2]).string(), world = fs::absolute(argv[3]).string();
    const int count = argc > 4 ? std::atoi(argv[4]) : 10'000, runs = argc > 5 ? std::atoi(argv[5]) : 5;
    const fs::path scratch = fs::temp_directory_path() / ("ranks-many-saves-" + std::to_string(::getpid()));
    const fs::path empty = scratch / "empty", full = scratch / "full";
    for (const char* name : {"home", "config", "empty", "full"}) fs::create_directories(scratch / name);
    ::setenv("HOME", (scratch / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    const std::vector<std::string> play{ranks, "--world", world, "--lang", "en"};
    const std::string legendEnd = "King";
    // One game played, its save copied under names sorting before its own
    // (so --continue reads them all, and takes the one played).
    ::setenv("XDG_DATA_HOME", full.c_str(), 1);
    if (UntilShown(play, legendEnd) < 0) {
        std::fprintf(stderr, "the game showed no field\n");
        return 1;
    }
    const fs::path folder = full / "ranks-and-files";
    std::string save;
    for (const fs::path& name : Names(folder))
        if (name.extension() == ".save") {
            std::ostringstream all;
            all << std::ifstream(name).rdbuf();
            save = all.str();
        }
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "game-2000-01-01-%06d.save", i);
        std::ofstream(folder / name) << save;
    }
    const std::vector<fs::path> inFolder = Names(folder);
    std::printf("%d saves of %zu bytes; medians of %d runs\n", count, save.size(), runs);

    ::setenv("XDG_DATA_HOME", empty.c_str(), 1);
    const double frameEmpty = Median(
        [&] {
            const double ms = UntilShown(play, legendEnd);
            fs::remove_all(empty / "ranks-and-files");
            return ms;
        },
        runs);
    ::setenv("XDG_DATA_HOME", full.c_str(), 1);
    const double frameFull = Median(
        [&] {
            const double ms = UntilShown(play, legendEnd);
            RemoveAllBut(folder, inFolder);
            return ms;
        },
        runs);
    std::vector<std::string> list{ranks, "--saves"}, resume = play;
    resume.push_back("--continue");
    const double listing = Median([&] { return ToItsEnd(list); }, runs);
    const double resumed = Median([&] { return UntilShown(resume, legendEnd); }, runs);
    std::printf("new game, first field frame: %.1f ms with no saves, %.1f ms with %d (%.2fx)\n", frameEmpty, frameFull,
                count, frameFull / frameEmpty);
    std::printf("--saves: %.1f ms\n--continue, first field frame: %.1f ms\n", listing, resumed);
    fs::remove_all(scratch);
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef RANKS_MANY_SAVES
    if (argc >= 4 && std::strcmp(argv[1], "--many") == 0) return ManySaves(argc, argv);
#endif
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: ranks_bench_saves FOLDER [WORLD RECORDING...]\n"
                     "       ranks_bench_saves --many RANKS WORLD [SAVES] [RUNS]\n");
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
