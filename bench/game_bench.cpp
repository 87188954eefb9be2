// Figures of what a player feels, measured on the real game loops with the
// virtual clock: how long map changes, a chase and a battle take, and how
// many bytes a terminal would be sent for them (the terminal renderer runs
// at every point where the terminal backend presents a frame).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_folder.h"
#include "field/hero_movement.h"
#include "own_folders.h"
#include "platform/headless/headless.h"
#include "platform/model/terminal_renderer.h"
#include "program/startup.h"

namespace {

using namespace rf;

struct Meter {
    platform::TerminalRenderer renderer;
    long long bytes = 0;
    long long frames = 0;
    void Attach() {
        headless::SetPresentObserver([this] {
            std::string f = renderer.Frame(headless::Screen());
            if (!f.empty()) {
                bytes += static_cast<long long>(f.size());
                ++frames;
            }
        });
    }
    void Mark() {
        renderer.Frame(headless::Screen());
        bytes = frames = 0;
    }
};

void WriteFile(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Nine maps of scattered walls with open corridors through the middle.
std::filesystem::path MakeOpenWorld() {
    auto dir = std::filesystem::temp_directory_path() / ("ranks-bench-" + std::to_string(std::random_device{}()));
    for (int n = 1; n <= 9; ++n) {
        std::string picture;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 59; ++x) {
                bool corridor = (y >= 9 && y <= 11) || (x >= 28 && x <= 33);
                picture += !corridor && (x * 7 + y * 13 + n * 5) % 11 == 0 ? '#' : ' ';
            }
            picture += '\n';
        }
        WriteFile(dir / "map_form" / "map1" / (std::to_string(n) + ".txt"), picture);
        WriteFile(dir / "map_info" / "map1" / (std::to_string(n) + ".txt"), "0\n");
    }
    WriteFile(dir / "map_info" / "map1.txt", "0 1 1\n0 1 1\n0 1 0\n5\n");
    std::string mini;
    for (int y = 0; y < 9; ++y) mini += std::string(19, y % 3 == 2 ? '_' : ' ') + "\n";
    WriteFile(dir / "mini_map" / "map1.txt", mini);
    WriteFile(dir / "Hero_Info" / "Hero_Status_Info.txt", "Hero 40 8 6 5 5 8 70 0 1 0 0 0 0 1 5 2 3 3 3 56 10\n");
    return dir;
}

void Start(const std::string& root) {
    ResetGameState();
    headless::Reset(1'700'000'000);
    dataRoot = root;
}

// Runs the main loop until the key script is used up or the time limit.
void RunLoop() {
    try {
        for (;;) MainLoopPass();
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::Watchdog&) {
    }
}

void MapChanges(const std::string& root) {
    Meter meter;
    Start(root);
    meter.Attach();
    StartUp();
    std::printf("start-up screen: %zu bytes\n", meter.renderer.Frame(headless::Screen()).size());
    headless::Arrow(77);  // a short step from 56 to the last column but one
    RunLoop();
    meter.Mark();
    std::int64_t t0 = headless::NowMs();
    headless::Arrow(77);
    RunLoop();
    std::printf("sideways map change (%d -> %d): %lld ms, %lld bytes in %lld frames\n", 5, hero.mapNumber,
                static_cast<long long>(headless::NowMs() - t0), meter.bytes, meter.frames);

    Start(root);
    meter = Meter{};
    meter.Attach();
    StartUp();
    hero.fieldX = 30;
    hero.fieldY = 0;
    meter.Mark();
    t0 = headless::NowMs();
    headless::Arrow(72);
    RunLoop();
    std::printf("vertical map change (5 -> %d): %lld ms, %lld bytes in %lld frames\n", hero.mapNumber,
                static_cast<long long>(headless::NowMs() - t0), meter.bytes, meter.frames);
}

bool WipeStarted() {
    for (int x = 0; x < 60; x += 2)
        if (headless::RowUtf8(0, x, 2) == "■") return true;
    return false;
}

void ChaseAndBattle(const std::string& world) {
    Meter meter;
    Start(world);
    meter.Attach();
    StartUp();
    meter.Mark();
    // No keys: does an enemy walk up to the hero, and when?
    constexpr std::int64_t kIdleMs = 600'000;
    headless::RunUntil(kIdleMs);
    headless::SetLimits(1'000'000'000, kIdleMs);
    std::int64_t contact = -1;
    long long chaseBytes = 0;
    headless::SetPresentObserver([&] {
        std::string f = meter.renderer.Frame(headless::Screen());
        meter.bytes += static_cast<long long>(f.size());
        if (contact < 0 && WipeStarted()) {
            contact = headless::NowMs();
            chaseBytes = meter.bytes;
            throw headless::ScriptEnded{};
        }
    });
    RunLoop();
    if (contact > 0)
        std::printf("chase until contact: %lld ms, %lld bytes (%.0f bytes/s)\n", static_cast<long long>(contact),
                    chaseBytes, 1000.0 * static_cast<double>(chaseBytes) / static_cast<double>(contact));
    else
        std::printf("chase until contact: no enemy reaches an idle hero within %lld s\n",
                    static_cast<long long>(kIdleMs / 1000));

    // The whole encounter with Enter for every question, from a fresh start,
    // the first enemy set four columns from the hero.
    Start(world);
    meter = Meter{};
    meter.Attach();
    StartUp();
    if (fieldEnemies.count > 0) {
        fieldEnemies.entries[0].x = hero.fieldX + 4;
        fieldEnemies.entries[0].y = hero.fieldY;
    }
    for (int i = 0; i < 400; ++i) headless::Key(13);
    std::int64_t battleStart = -1, battleEnd = -1;
    long long bytesAtStart = 0;
    headless::SetPresentObserver([&] {
        std::string f = meter.renderer.Frame(headless::Screen());
        meter.bytes += static_cast<long long>(f.size());
        bool inBattle = headless::RowUtf8(0, 25, 20).find("Enemy View") != std::string::npos;
        if (battleStart < 0 && inBattle) {
            battleStart = headless::NowMs();
            bytesAtStart = meter.bytes;
        }
        if (battleStart >= 0 && battleEnd < 0 && !inBattle && headless::RowUtf8(0, 61, 18) == " _____MiniMap_____") {
            battleEnd = headless::NowMs();
            throw headless::ScriptEnded{};
        }
    });
    RunLoop();
    if (battleEnd > 0)
        std::printf("one battle on the default world (Enter for everything): %lld ms, %lld bytes\n",
                    static_cast<long long>(battleEnd - battleStart), meter.bytes - bytesAtStart);
}

}  // namespace

int main(int argc, char** argv) {
    const rf::test::OwnFolders ownFolders;  // the games played save as any game does
    std::string world = argc > 1 ? argv[1] : "";
    auto open = MakeOpenWorld();
    MapChanges(open.string());
    std::filesystem::remove_all(open);
    if (!world.empty()) ChaseAndBattle(world);
    return 0;
}
