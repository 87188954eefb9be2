// How long each animation lasts on the real binary, against what its pauses
// state. The game runs on a pseudo-terminal of its own (which answers the
// start-up width query with one cell); every chunk it writes is
// timestamped and replayed through a terminal model, and an animation
// runs from the first chunk that shows its start to the first that shows
// its end. The stated duration is the virtual time between the same two
// screens when the same scenario is played headlessly.
//   ranks_bench_animations build/bin/ranks build/bin/world [runs] [--check]
// With --check the exit status says whether each animation's median run
// lasted its stated time within 3% (the target banner's 7 ms within 1%:
// the game counts an animation's first pause from when its frame was
// written, so that frame, often the largest, shows its whole time; the
// medians here are 0-0.5% long, the last frame's drawing and writing).
// The bench and the game run at raised priority where it can be had (real
// time as root, else nice -5, else as they are), so that other work on the
// machine delays neither; a median still off is measured again over more
// runs, up to three times, so one unlucky stretch fails nothing that a
// true change would not fail every time.
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game_scenarios.h"
#include "own_folders.h"
#include "pty_process.h"
#include "vt_screen.h"

namespace {

using namespace rf;
using test::VtScreen;
// A test of the screen, given the terminal and its text (read once per
// chunk, so that the reader keeps up with frames a millisecond apart).
using Screen = std::function<bool(const VtScreen&, const std::string&)>;

Screen Shows(const std::string& text) {
    return [text](const VtScreen&, const std::string& all) { return all.find(text) != std::string::npos; };
}
Screen RowShows(int row, const std::string& text) {
    return [row, text](const VtScreen& t, const std::string&) { return t.Row(row).find(text) != std::string::npos; };
}

struct Animation {
    const char* name;
    Screen start, end;        // both empty: from the first frame after the last key to the last frame
    double tolerance = 0.03;  // the median's largest share off the stated time
};

struct Plan {
    scenario::Scenario scenario;
    std::vector<Animation> animations;
};

// Per animation: when its start and its end first showed (-1: not yet).
struct Times {
    std::vector<double> start, end;
    explicit Times(std::size_t n) : start(n, -1), end(n, -1) {}
    void Look(const std::vector<Animation>& as, const VtScreen& t, double now) {
        const std::string text = t.Text();
        for (std::size_t i = 0; i < as.size(); ++i) {
            if (!as[i].start) continue;
            if (start[i] < 0 && as[i].start(t, text)) start[i] = now;
            if (start[i] >= 0 && end[i] < 0 && as[i].end(t, text)) end[i] = now;
        }
    }
};

std::vector<Plan> Plans() {
    // The level-up battle: the item menu opened and closed, then Enter for all.
    auto labels = [](const VtScreen& t, const std::string&) {
        int rows = 0;
        for (int r = 2; r <= 9; ++r) rows += t.Row(r).find(":     ") != std::string::npos;
        return rows == 8;
    };
    return {
        {{"sideways map change", scenario::World::kNoEnemies, 56, 4, "R", "R", false},
         {{"sideways map change (60 x 10 ms)", {}, {}}}},
        {{"vertical map change", scenario::World::kNoEnemies, 8, 18, "D", "D", false},
         {{"vertical map change (20 x 30 ms)", {}, {}}}},
        {{"battle", scenario::World::kLevelUpSoon, 8, 10, "", "DDE UU*", false},
         {
             {"wipes (2 x 20 x 30 ms)", [](const VtScreen& t, const std::string&) { return t.cells[0][0].cp == U'■'; },
              Shows("＿＿＿＿＿＿")},
             {"command boxes slide (100 x 1 ms)", Shows("＿＿＿＿＿＿"), Shows("たたかう")},
             {"command labels (4 x 100 ms)", Shows("たたかう"), Shows("Enemy View")},
             {"HP gauge (18 x 30 ms)", RowShows(13, "---+-"), RowShows(14, "HP : ")},
             {"target banner slide (7 x 1 ms)", Shows("＜　対　象"),
              [](const VtScreen& t, const std::string&) { return t.cells[7][24].cp == U'＜'; }, 0.01},
             {"item menu slide (15 x 1 ms)", Shows("バックラー"), Shows("Item____")},
             {"banner, target banner and item menu slides (33 x 1 ms)", Shows("＜　対　象"), Shows("Item____")},
             {"typed message 戦闘に勝ちました。 (16 x 50 ms)", Shows("戦"), Shows("戦闘に勝ちました。")},
             {"level-up labels (8 x 50 ms)", Shows("レベル         <=="), RowShows(2, "<==         +")},
             {"level-up values (35 x 5 ms)", Shows(":     "), labels},
         }},
    };
}

// The stated durations: the same plan played headlessly.
std::vector<double> Stated(const Plan& p, const std::filesystem::path& world, const std::filesystem::path& scratch) {
    platform::TerminalRenderer r;
    r.SetAmbiguousWidth(1);
    VtScreen t(1);
    Times times(p.animations.size());
    double first = -1, last = -1;
    std::string shown;
    scenario::Play(p.scenario, world, scratch, [&](bool counted) {
        std::string frame = r.Frame(headless::Screen());
        t.Feed(frame);
        auto now = static_cast<double>(headless::NowMs());
        if (counted && !frame.empty()) {
            if (first < 0) first = now;
            last = now;
        }
        times.Look(p.animations, t, now);
    });
    std::vector<double> out;
    for (std::size_t i = 0; i < p.animations.size(); ++i)
        out.push_back(p.animations[i].start ? times.end[i] - times.start[i] : last - first);
    return out;
}

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

std::string KeyBytes(char k) {
    switch (k) {
        case 'R': return "\x1b[C";
        case 'L': return "\x1b[D";
        case 'U': return "\x1b[A";
        case 'D': return "\x1b[B";
        case 'E': return "\r";
        default: return std::string(1, k);
    }
}

// One run on the real binary; the measured durations in ms (-1: not seen).
std::vector<double> Measure(const Plan& p, const std::string& binary, const std::filesystem::path& world,
                            const std::filesystem::path& scratch) {
    scenario::MakeWorld(world, scratch, p.scenario.world, p.scenario.heroX, p.scenario.heroY);
    test::PtyProcess game;
    game.Start({binary, "--world", scratch.string()});
    VtScreen t(1);
    t.reply = [&](const std::string& answer) { game.Send(answer); };
    Times times(p.animations.size());
    const std::string counted = p.scenario.counted;
    const bool battle = counted.find('*') != std::string::npos;
    std::string keys = p.scenario.keys;
    if (!battle) keys += counted;
    std::size_t nextKey = 0;
    bool fought = false;
    double lastOutput = Seconds(), afterLastKey = -1, lastFrame = -1;
    const double begin = Seconds();
    constexpr double kQuiet = 0.3;  // longer than any pause in an animation
    while (Seconds() - begin < 120) {
        std::string chunk = game.Read(20);
        double now = Seconds();
        if (!chunk.empty()) {
            t.Feed(chunk);
            lastOutput = now;
            if (afterLastKey >= 0) {
                if (afterLastKey == 0) afterLastKey = now;
                lastFrame = now;
            }
            times.Look(p.animations, t, now * 1000);
            if (battle && !fought && t.Text().find("Enemy View") != std::string::npos) {
                fought = true;
                keys = counted;
                nextKey = 0;
            }
            continue;
        }
        if (now - lastOutput < kQuiet) continue;
        // The game waits for a key.
        bool onField =
            t.Text().find("_____MiniMap_____") != std::string::npos && t.Text().find("Enemy View") == std::string::npos;
        if (battle && fought && onField) break;
        if (battle && !fought) continue;
        if (nextKey < keys.size()) {
            char k = keys[nextKey];
            if (k == '*') {
                k = 'E';
            } else {
                ++nextKey;
            }
            if (!battle && nextKey == keys.size()) afterLastKey = 0;
            game.Send(KeyBytes(k));
            lastOutput = now;
        } else if (!battle) {
            break;
        }
    }
    game.Send("\x03");
    game.Wait(2000);
    std::vector<double> out;
    for (std::size_t i = 0; i < p.animations.size(); ++i) {
        if (!p.animations[i].start) out.push_back(afterLastKey > 0 ? (lastFrame - afterLastKey) * 1000 : -1);
        else out.push_back(times.end[i] >= 0 ? times.end[i] - times.start[i] : -1);
    }
    return out;
}

// Raises this process's priority, which the game started from it inherits:
// what it got, in words.
const char* RaisePriority() {
    sched_param realTime{};
    realTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    if (sched_setscheduler(0, SCHED_FIFO, &realTime) == 0) return "real time (SCHED_FIFO)";
    if (setpriority(PRIO_PROCESS, 0, -5) == 0) return "nice -5";
    return "as started (no right to raise it)";
}

// Each animation's runs so far, and whether its median is within its tolerance.
struct Figures {
    std::vector<double> runs;
    double Median() {
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    }
};
bool Within(const Animation& a, Figures& f, double stated) {
    return !f.runs.empty() && std::abs(f.Median() - stated) <= stated * a.tolerance;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ranks_bench_animations RANKS_BINARY WORLD_DIR [runs]\n");
        return 2;
    }
    // The scenarios' games save as any game does: into folders of the run's own.
    const test::OwnFolders ownFolders;
    const std::string binary = argv[1];
    const std::filesystem::path world = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const bool check = argc > 4 && std::string(argv[4]) == "--check";
    constexpr int kRounds = 3;  // with --check: runs measured at most three times over
    int failures = 0;
    const auto scratch = std::filesystem::temp_directory_path() / ("ranks-animations-" + std::to_string(::getpid()));
    std::printf("priority: %s\n", RaisePriority());
    std::printf("| animation | stated ms | runs | min ms | median ms | max ms | median / stated |\n");
    std::printf("| --- | ---: | ---: | ---: | ---: | ---: | ---: |\n");
    for (const Plan& p : Plans()) {
        const std::vector<double> stated = Stated(p, world, scratch);
        std::vector<Figures> measured(p.animations.size());
        auto allWithin = [&] {
            for (std::size_t i = 0; i < measured.size(); ++i)
                if (!Within(p.animations[i], measured[i], stated[i])) return false;
            return true;
        };
        for (int round = 0; round < (check ? kRounds : 1) && (round == 0 || !allWithin()); ++round)
            for (int run = 0; run < runs; ++run) {
                const std::vector<double> m = Measure(p, binary, world, scratch);
                for (std::size_t i = 0; i < m.size(); ++i)
                    if (m[i] >= 0) measured[i].runs.push_back(m[i]);
            }
        for (std::size_t i = 0; i < p.animations.size(); ++i) {
            const Animation& a = p.animations[i];
            Figures& m = measured[i];
            if (m.runs.empty()) {
                std::printf("| %s | %.0f | 0 | not seen | | | |\n", a.name, stated[i]);
                failures += check;
                continue;
            }
            const double median = m.Median();
            std::printf("| %s | %.0f | %zu | %.3f | %.3f | %.3f | %.4f |\n", a.name, stated[i], m.runs.size(),
                        m.runs.front(), median, m.runs.back(), stated[i] > 0 ? median / stated[i] : 0.0);
            std::fflush(stdout);
            if (check && !Within(a, m, stated[i])) {
                std::fprintf(stderr, "FAIL %s: a median of %.3f ms against %.0f stated, more than %.1f%% off\n", a.name,
                             median, stated[i], a.tolerance * 100);
                ++failures;
            }
        }
    }
    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
