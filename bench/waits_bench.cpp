// Wake-ups of the real game in each of its waits: the game runs on a
// pseudo-terminal of its own, is brought to the wait, and the voluntary
// context switches of its process are counted over a second and a half
// while nobody presses a key. A wait that blocks wakes no time at all; a
// field with an enemy walking wakes once for each of its turns (each draws
// a frame), and one whose enemies are stuck not at all.
//   ranks_bench_waits build/bin/ranks build/bin/world RECORDING [--check]
// (RECORDING: one of tests/recordings, whose world is beside it).
// With --check the exit status says whether every wait kept its budget.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "game_scenarios.h"
#include "own_folders.h"
#include "pty_process.h"

namespace {

using namespace rf;

long WakeUps(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("voluntary_ctxt_switches:")) return std::atol(line.c_str() + 24);
    return -1;
}

struct Case {
    const char* name;
    scenario::World world;
    int heroX, heroY;
    std::vector<std::string> keys;  // each sent once the previous text showed
    std::vector<std::string> texts;
    double budgetPerSecond;
    bool replay = false;               // plays the recording instead
    bool missingMap = false;           // a map file removed: the stop at start-up
    const char* enemies = "";          // map 1's enemy list, when not the world's
    int settleMs = 2500;               // from reaching the wait to measuring it
    const char* enterUntil = nullptr;  // Enter pressed now and then until this shows
    bool recordedWait = false;         // the replay at speed 1 in a minute the player waited
};

constexpr double kMeasureSeconds = 1.5;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: ranks_bench_waits RANKS WORLD_DIR RECORDING [--check]\n");
        return 2;
    }
    const std::string binary = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path world = argv[2];
    const std::string recording = std::filesystem::absolute(argv[3]).string();
    const bool check = argc > 4 && std::string(argv[4]) == "--check";
    const auto scratch = std::filesystem::temp_directory_path() / ("ranks-waits-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    const test::OwnFolders ownFolders;  // the games' saves and settings
    ::setenv("LANG", "C.UTF-8", 1);
    const std::string kMap = "MiniMap", kBattle = "Enemy View";
    // An enemy's turn pauses 130 ms: at most one wake-up for each.
    const double perTurn = 1000.0 / 130 + 1;
    const std::vector<Case> cases = {
        {"field", scenario::World::kNoEnemies, 8, 4, {""}, {kMap}, 0},
        {"field, an enemy walking",
         scenario::World::kOnePawn,
         8,
         4,
         {""},
         {kMap},
         perTurn,
         false,
         false,
         "1\n1 1 50 12\n",
         0},
        // The same enemy some 3 s later, stuck behind a wall.
        {"field, an enemy stuck",
         scenario::World::kOnePawn,
         8,
         4,
         {""},
         {kMap},
         0,
         false,
         false,
         "1\n1 1 50 12\n",
         6000},
        {"battle's command loop", scenario::World::kOnePawn, 8, 10, {""}, {kBattle}, 0},
        {"typed message", scenario::World::kOnePawn, 8, 10, {"", "\r", "\r", "\r"}, {kBattle, "", "", ""}, 0},
        {"level-up", scenario::World::kLevelUpSoon, 8, 10, {""}, {kBattle}, 0, false, false, "", 2500, "LEVEL UP"},
        {"missing-file stop", scenario::World::kNoEnemies, 8, 4, {""}, {"30 秒後"}, 0, false, true},
        {"paused replay", scenario::World::kNoEnemies, 8, 4, {"", " "}, {"replay (Space", "PAUSED"}, 0, true},
        {"ended replay", scenario::World::kNoEnemies, 8, 4, {""}, {"ENDED"}, 0, true},
        {"replay of a wait",
         scenario::World::kNoEnemies,
         8,
         4,
         {""},
         {"replay (Space"},
         0,
         true,
         false,
         "",
         2500,
         nullptr,
         true},
    };
    // The recording with a minute's wait before its first event.
    const std::string waited = (scratch / "waited.rec").string();
    {
        std::ifstream in(recording, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        text.insert(text.find("\nevents\n") + 8, "t60000\n");
        std::ofstream(waited, std::ios::binary) << text;
    }
    std::printf("| wait | wake-ups per second | budget |\n| --- | ---: | ---: |\n");
    int failures = 0;
    for (const Case& c : cases) {
        const auto dir = scratch / "world";
        scenario::MakeWorld(world, dir, c.world, c.heroX, c.heroY);
        if (*c.enemies) std::ofstream(dir / "map_info" / "map1" / "1.txt", std::ios::binary) << c.enemies;
        if (c.missingMap) std::filesystem::remove(dir / "map_form" / "map1" / "1.txt");
        test::PtyProcess game;
        std::vector<std::string> args = {binary, "--world", dir.string()};
        // A recording plays on the world it was made on, beside it.
        const std::string recorded = std::filesystem::path(recording).parent_path() / "world";
        if (c.replay)
            args = {binary,
                    "--world",
                    recorded,
                    "--replay",
                    c.recordedWait ? waited : recording,
                    "--speed",
                    c.keys.size() > 1 || c.recordedWait ? "1" : "max"};
        if (!game.Start(args)) return 2;
        bool reached = true;
        for (std::size_t k = 0; k < c.keys.size() && reached; ++k) {
            if (!c.keys[k].empty()) game.Send(c.keys[k]);
            if (!c.texts[k].empty()) reached = game.ReadUntil(c.texts[k], 20'000).find(c.texts[k]) != std::string::npos;
            else game.ReadUntil("\x01", 1500);  // the typing and its pauses
        }
        // Enter until the wait shows: each one the battle takes, none left for the wait.
        for (int k = 0; c.enterUntil && reached && k < 200; ++k) {
            game.Send("\r");
            if (game.ReadUntil(c.enterUntil, 400).find(c.enterUntil) != std::string::npos) break;
            reached = k + 1 < 200;
        }
        // Whatever animates on reaching the wait has ended.
        if (c.settleMs > 0) game.ReadUntil("\x01", c.settleMs);
        const long before = WakeUps(game.Pid());
        const auto start = std::chrono::steady_clock::now();
        game.ReadUntil("\x01", static_cast<int>(kMeasureSeconds * 1000));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long after = WakeUps(game.Pid());
        const double rate = reached && before >= 0 && after >= 0 ? static_cast<double>(after - before) / seconds : -1;
        std::printf("| %s | %.1f | %.1f |\n", c.name, rate, c.budgetPerSecond);
        if (check && (rate < 0 || rate > c.budgetPerSecond)) {
            std::fprintf(stderr, "FAIL %s: %s\n", c.name,
                         rate < 0 ? "the wait was not reached" : "more wake-ups than its budget");
            ++failures;
        }
    }
    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
