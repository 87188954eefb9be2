// How long the painter takes over a key, from the key read to the next
// read, on a copy of a world: the drawing alone (a cursor step), and an
// edit with the checker's run on the unsaved world after it (and without,
// as the painter was before its findings followed the edits). Wall and
// processor time, medians and the slowest, on the headless console (a
// terminal adds its renderer's frame, which the other benchmarks measure).
//   build/bin/ranks_bench_painter build/bin/world [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "own_folders.h"
#include "painter/painter.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"

namespace {

using namespace rf;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Times {
    std::vector<double> wall, cpu;  // milliseconds
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Most(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Runs the painter on `world` over `keys`, timing each key until the next is read.
Times Run(const fs::path& world, const std::vector<int>& keys, bool check) {
    Times t;
    auto start = Clock::now();
    std::clock_t cpuStart = std::clock();
    bool first = true;
    const std::function<void()> observe = [&] {
        const auto now = Clock::now();
        const std::clock_t cpu = std::clock();
        if (!first) {
            t.wall.push_back(std::chrono::duration<double, std::milli>(now - start).count());
            t.cpu.push_back(1000.0 * static_cast<double>(cpu - cpuStart) / CLOCKS_PER_SEC);
        }
        first = false;
        start = Clock::now(), cpuStart = std::clock();
    };
    headless::Reset();
    ResetGameState();
    for (int k : keys) headless::Key(k);
    headless::SetKeyObserver(observe);
    painter::PainterSetup setup{world.string(), "ranks", "", nullptr, nullptr};
    if (check)
        setup.check = [&](const std::string& dir, const std::vector<HeldFile>& unsaved) {
            // The check's fresh headless session gets the keys still to come, and the timing.
            const std::size_t left = headless::KeysLeft();
            authoring::CheckResult result = authoring::CheckWorld(dir, unsaved);
            for (std::size_t i = keys.size() - left; i < keys.size(); ++i) headless::Key(keys[i]);
            headless::SetKeyObserver(observe);
            return result;
        };
    try {
        painter::RunPainter(setup);
    } catch (const headless::ScriptEnded&) {
    }
    headless::SetKeyObserver(nullptr);
    return t;
}

void Print(const char* what, const Times& t) {
    std::printf("%-44s %5zu keys  wall median %7.2f ms, slowest %7.2f ms  processor median %7.2f ms\n", what,
                t.wall.size(), Median(t.wall), Most(t.wall), Median(t.cpu));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORLD [ROUNDS]\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    test::OwnFolders own;
    const fs::path world = own.Root() / "world";
    fs::copy(argv[1], world, fs::copy_options::recursive);
    platform::UseBackend(platform::HeadlessBackend());
    std::vector<int> steps, edits;
    for (int i = 0; i < rounds; ++i) steps.push_back(i % 40 < 20 ? 'l' : 'h');
    // Walls typed along a row and taken back, one character an edit.
    edits.push_back('i');
    for (int i = 0; i < rounds; ++i) edits.push_back(i % 40 < 20 ? '#' : platform::keys::kBackspace);
    Print("a cursor step (no edit, no check)", Run(world, steps, true));
    Print("a character typed, the checker after it", Run(world, edits, true));
    Print("a character typed, no checker (as before)", Run(world, edits, false));
    return 0;
}
