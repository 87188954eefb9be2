// The game's real frame sequences, played headlessly on copies of the
// default world: start-up, ten steps, both map changes, a chase ending in
// the wipes, a battle, and a battle with a level-up. Used by the renderer's
// tests and by the benchmarks (which also play them on the real binary).
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/world_folder.h"
#include "platform/headless/headless.h"
#include "program/startup.h"

namespace rf::scenario {

// Copies of the default world: without enemies; with one Pawn on the
// first map that walks up to a hero standing outside the start room; the
// same with the hero one point of experience short of a level.
enum class World { kNoEnemies, kOnePawn, kLevelUpSoon };

inline void MakeWorld(const std::filesystem::path& from, const std::filesystem::path& to, World kind, int x = 8,
                      int y = 4, int enemyKind = 1) {
    std::filesystem::remove_all(to);
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
    for (int n = 1; n <= 9; ++n)
        std::ofstream(to / "map_info" / "map1" / (std::to_string(n) + ".txt"), std::ios::binary)
            << (n == 1 && kind != World::kNoEnemies ? "1\n" + std::to_string(enemyKind) + " 1 30 10\n" : "0\n");
    // The hero at (x, y), a point short of a level or far from one.
    std::ofstream(to / "Hero_Info" / "Hero_Status_Info.txt", std::ios::binary)
        << "\x83\x41\x83\x8c\x83\x93\n40 8 6 5 5 8\n"
        << (kind == World::kLevelUpSoon ? 1 : 70) << " 0 1\n0 0 0 0\n1 5 2 3 3 3\n"
        << x << " " << y << "\n";
}

struct Scenario {
    const char* name;
    World world;
    int heroX, heroY;     // where the hero starts
    const char* keys;     // before the counted part: R L U D arrows, E Enter, ' ' Space
    const char* counted;  // the counted part's keys; a '*' after them: Enter whenever asked
    bool untilBattle;     // the counted part ends when the battle screen shows
    int enemyKind = 1;    // the lone enemy's: 1 Pawn, 2 Knight, 3 Bishop, 4 Rook
    int level = 0;        // a play-test's start level (0: the hero file's)
};

inline const std::vector<Scenario>& All() {
    static const std::vector<Scenario> kAll = {
        {"start-up", World::kNoEnemies, 8, 4, "", "", false},
        {"ten steps", World::kNoEnemies, 8, 4, "", "RRRDDLLLUU", false},
        {"sideways map change", World::kNoEnemies, 56, 4, "R", "R", false},
        {"vertical map change", World::kNoEnemies, 8, 18, "D", "D", false},
        {"chase and wipes", World::kOnePawn, 8, 10, "", "", true},
        {"battle", World::kOnePawn, 8, 10, "", "*", false},
        {"battle with level-up", World::kLevelUpSoon, 8, 10, "", "*", false},
    };
    return kAll;
}

inline bool InBattle() { return headless::RowUtf8(0, 25, 20).find("Enemy View") != std::string::npos; }
inline bool OnField() { return headless::RowUtf8(0, 61, 18) == " _____MiniMap_____"; }

inline void QueueKeys(const char* keys) {
    for (const char* k = keys; *k; ++k) {
        if (*k == '*')
            for (int i = 0; i < 600; ++i) headless::Key(13);
        else if (*k == 'E' || *k == ' ') headless::Key(*k == 'E' ? 13 : 32);
        else headless::Arrow(*k == 'R' ? 77 : *k == 'L' ? 75 : *k == 'U' ? 72 : 80);
    }
}

// Plays `s` on a copy of `defaultWorld` made in `scratch`. `frame(counted)`
// runs at every point where the terminal backend would present a frame.
// `lang`: the language the game draws in (an index into kLanguageCodes).
inline void Play(const Scenario& s, const std::filesystem::path& defaultWorld, const std::filesystem::path& scratch,
                 const std::function<void(bool counted)>& frame, std::int16_t lang = 0) {
    MakeWorld(defaultWorld, scratch, s.world, s.heroX, s.heroY, s.enemyKind);
    ResetGameState();
    language = lang;
    headless::Reset(1'700'000'000);
    dataRoot = scratch.string();
    bool counted = false;
    const bool battle = std::string(s.counted).find('*') != std::string::npos;
    headless::SetPresentObserver([&] {
        if (battle && !counted && InBattle()) {
            // The battle's keys from its first screen on.
            counted = true;
            QueueKeys(s.counted);
        }
        frame(counted);
        if (s.untilBattle && InBattle()) throw headless::ScriptEnded{};
        // A battle's keys are counted from its first screen: it is over back on the field.
        if (battle && counted && !InBattle() && OnField()) throw headless::ScriptEnded{};
    });
    auto run = [] {
        try {
            for (;;) MainLoopPass();
        } catch (const headless::ScriptEnded&) {
        }
    };
    StartUp({.level = s.level});
    if (std::string(s.name) == "start-up") counted = true;
    frame(counted);
    QueueKeys(s.keys);
    run();
    counted = !battle;
    // In a battle nobody moves: the nearest enemy walks up.
    if (battle) headless::SetLimits(50'000'000, 600'000);
    else QueueKeys(s.counted);
    if (s.untilBattle || battle) headless::RunUntil(120'000);
    run();
    headless::SetPresentObserver(nullptr);
}

}  // namespace rf::scenario
