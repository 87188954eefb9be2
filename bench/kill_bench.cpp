// Kills the real game at random moments and checks that no save is ever
// lost or taken back, run by hand:
//   build/bin/ranks_bench_kills build/bin/ranks tests/recordings/world [KILLS]
// The world is copied with its map pictures left open, so the hero crosses
// from map to map while its enemies come at him. Each run continues the
// game of the last (a new game the first time), walks and fights with
// random keys for up to eight seconds and ends with SIGKILL; after each kill
// every save must read back and the game's progress (level, experience)
// must not have gone back.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "core/world_manifest.h"
#include "pty_process.h"
#include "saves/save_files.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
    using namespace rf;
    if (argc < 3) {
        std::fprintf(stderr, "usage: ranks_bench_kills RANKS WORLD [KILLS]\n");
        return 2;
    }
    const std::string ranks = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("ranks-kills-" + std::to_string(::getpid()));
    const std::string world = (data / "world").string();
    std::filesystem::create_directories(data);
    std::filesystem::copy(argv[2], world, std::filesystem::copy_options::recursive);
    for (int m = 1; m <= kMaps; ++m)
        std::ofstream(data / "world" / WorldFileName({WorldFileKind::kMapForm, m}), std::ios::trunc);
    const int kills = argc > 3 ? std::atoi(argv[3]) : 300;
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::string folder = (data / "ranks-and-files").string();

    std::mt19937 random(20261207);
    int phases[3] = {};  // start-up, field, battle
    int damaged = 0, takenBack = 0, battlesSeen = 0, mapChangesSeen = 0, lastMap = 1;
    long long bestProgress = -1;
    for (int k = 0; k < kills; ++k) {
        bool started = false;
        {
            test::PtyProcess game;  // killed with SIGKILL when it goes
            std::vector<std::string> args{ranks, "--world", world};
            if (bestProgress >= 0) args.push_back("--continue");
            game.Start(args);
            const auto killAt = Clock::now() + std::chrono::milliseconds(random() % 8000);
            std::string seen;
            while (Clock::now() < killAt) {
                seen += game.Read(static_cast<int>(20 + random() % 100));
                const auto pick = random() % 10;
                game.Send(pick < 5 ? "\r" : pick < 9 ? "\x1b[C" : "\x1b[B");
                if (seen.size() > 200000) seen.erase(0, seen.size() - 100000);
            }
            started = seen.find("MiniMap") != std::string::npos;
            const std::size_t lastField = seen.rfind("MiniMap"), lastBattle = seen.rfind("Enemy View");
            const bool inBattle =
                lastBattle != std::string::npos && (lastField == std::string::npos || lastBattle > lastField);
            ++phases[!started ? 0 : inBattle ? 2 : 1];
            battlesSeen += lastBattle != std::string::npos;
        }
        for (const SaveEntry& s : SavesIn(folder)) {
            if (!s.readable) {
                ++damaged;
                std::printf("damaged: %s: %s\n", s.path.c_str(), s.error.c_str());
                continue;
            }
            const long long progress = static_cast<long long>(s.data.hero.level) << 32 | s.data.hero.exp;
            if (progress < bestProgress) ++takenBack;
            mapChangesSeen += s.data.hero.mapNumber != lastMap;
            lastMap = s.data.hero.mapNumber;
            bestProgress = std::max(bestProgress, progress);
        }
        if (SavesIn(folder).empty() && started) std::printf("kill %d: a started game left no save\n", k);
    }
    const auto saves = SavesIn(folder);
    std::printf(
        "%d kills (%d in start-up, %d on the field, %d in battle); %d runs saw a battle, the save changed map %d "
        "times\n",
        kills, phases[0], phases[1], phases[2], battlesSeen, mapChangesSeen);
    std::printf("saves afterwards: %zu; damaged: %d; progress taken back: %d; best: level %lld, exp %lld\n",
                saves.size(), damaged, takenBack, bestProgress / (1LL << 32), bestProgress % (1LL << 32));
    std::filesystem::remove_all(data);
    return damaged == 0 && takenBack == 0 ? 0 : 1;
}
