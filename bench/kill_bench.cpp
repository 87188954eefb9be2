// Kills the real game at random moments and checks that no save is ever
// lost or taken back, run by hand:
//   build/bin/ranks_bench_kills build/bin/ranks tests/recordings/world [KILLS]
// The world is copied with its map pictures left open and two Pawns on
// every map, so the hero crosses from map to map and fights on each. Each run continues the
// game of the last (a new game the first time), walks and fights with
// random keys for up to eight seconds and ends with SIGKILL; every third run
// instead walks the hero off his map and quits (Ctrl+C, SIGHUP, SIGTERM or
// SIGQUIT) at a random moment of the scroll. After each run every save must
// read back, the game's progress (level, experience) must not have gone
// back, a quit must leave no lock file, and a save after a quit in a scroll
// must hold the old map with the old cell or the new map with the new one.
#include <signal.h>
#include <algorithm>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "core/world_manifest.h"
#include "own_folders.h"
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
    const test::OwnFolders ownFolders;  // HOME and settings; the saves are checked in `data`
    const std::string ranks = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("ranks-kills-" + std::to_string(::getpid()));
    const std::string world = (data / "world").string();
    std::filesystem::create_directories(data);
    std::filesystem::copy(argv[2], world, std::filesystem::copy_options::recursive);
    // Two lone Pawns on each map (few, so each walks often: the enemies
    // take turns), so one soon reaches the hero wherever he stands.
    for (int m = 1; m <= kMaps; ++m) {
        std::ofstream(data / "world" / WorldFileName({WorldFileKind::kMapForm, m}), std::ios::trunc);
        std::ofstream(data / "world" / WorldFileName({WorldFileKind::kEnemyList, m}), std::ios::trunc)
            << "2\n1 1 15 10\n1 1 45 10\n";
    }
    const int kills = argc > 3 ? std::atoi(argv[3]) : 300;
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::string folder = (data / "ranks-and-files").string();

    std::mt19937 random(20261207);
    int phases[3] = {};  // start-up, field, battle
    int damaged = 0, takenBack = 0, battlesSeen = 0, mapChangesSeen = 0, lastMap = 1;
    int scrollQuits = 0, savedOld = 0, savedNew = 0, misplaced = 0, locksLeft = 0;
    long long bestProgress = -1;
    auto newest = [&] { return SavesIn(folder).empty() ? SaveEntry{} : SavesIn(folder).front(); };
    for (int k = 0; k < kills; ++k) {
        bool started = false;
        const SaveEntry before = newest();
        // A scroll: right off maps 1, 2, 4, 5, 7, 8, down off 3 and 6, left
        // off 9 (the maps are open): so many steps that the last crosses.
        const int map = before.readable ? before.data.hero.mapNumber : 0;
        const bool scroll = k % 3 == 2 && map >= 1;
        const char* key = map % 3 != 0 ? "\x1b[C" : map < 9 ? "\x1b[B" : "\x1b[D";
        const int x = before.data.hero.fieldX, y = before.data.hero.fieldY;
        const int steps = map % 3 == 0 && map < 9 ? 20 - y
                          : map == 9              ? (x % 2 == 0 ? x / 2 + 1 : (x - 1) / 2 + 2)
                          : x % 2 == 0            ? (56 - x) / 2 + 2
                                                  : (57 - x) / 2 + 1;
        const int next = map % 3 != 0 ? map + 1 : map < 9 ? map + 3 : map - 1;
        {
            test::PtyProcess game;  // killed with SIGKILL when it goes
            std::vector<std::string> args{ranks, "--world", world};
            if (bestProgress >= 0) args.push_back("--continue");
            game.Start(args);
            std::string seen;
            if (scroll) {
                seen += game.ReadUntil("MiniMap", 5000);
                for (int i = 0; i < steps; ++i) {
                    game.Send(key);
                    seen += game.Read(30);
                }
                seen += game.Read(static_cast<int>(random() % 900));
                const int how = static_cast<int>(random() % 4);
                if (how == 0) game.Send("\x03");
                else game.Signal(how == 1 ? SIGHUP : how == 2 ? SIGTERM : SIGQUIT);
                game.Wait(5000);
                ++scrollQuits;
                locksLeft += std::any_of(std::filesystem::directory_iterator(folder), {},
                                         [](const auto& e) { return e.path().filename().string().ends_with(".lock"); });
                const SaveEntry after = newest();
                // Placed on the new map's edge it came in by.
                const auto& h = after.data.hero;
                const bool entered = next == map + 1 ? h.fieldX == 0 : next == map + 3 ? h.fieldY == 0 : h.fieldX == 57;
                if (after.readable && h.mapNumber == map) ++savedOld;
                else if (after.readable && h.mapNumber == next && entered) ++savedNew;
                else if (after.readable) {
                    ++misplaced;
                    std::printf("run %d: a quit in the scroll from map %d saved map %d, cell %d %d\n", k, map,
                                after.data.hero.mapNumber, after.data.hero.fieldX, after.data.hero.fieldY);
                }
            } else {
                const auto killAt = Clock::now() + std::chrono::milliseconds(random() % 8000);
                while (Clock::now() < killAt) {
                    seen += game.Read(static_cast<int>(20 + random() % 100));
                    const auto pick = random() % 10;
                    game.Send(pick < 8 ? "\r" : pick < 9 ? "\x1b[C" : "\x1b[B");  // mostly standing: the enemies come
                    if (seen.size() > 200000) seen.erase(0, seen.size() - 100000);
                }
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
    std::printf("%d quits in a scroll: %d saved the old map, %d the new one, %d misplaced; lock files left: %d\n",
                scrollQuits, savedOld, savedNew, misplaced, locksLeft);
    std::filesystem::remove_all(data);
    return damaged == 0 && takenBack == 0 && misplaced == 0 && locksLeft == 0 ? 0 : 1;
}
