// Plays a world headlessly with a fixed clock and a script of keys, and
// prints, as JSON, the screen each time the game takes a key from the
// script and once more when the script is used up. A key is handed over
// when the game waits for one as the web page sees it: a long run of idle
// polls with neither a pause nor output between them (a chase on the
// field polls a few times in a row, and takes no key there). The rows are written as
// a terminal that draws the console's ambiguous glyphs one cell wide shows
// them (the glyph, then a blank), so they compare with the web page's.
//
//   ranks_headless_screens WORLD CLOCK_SECONDS KEY...
//   KEY: Up Down Left Right Enter Space, or a single character
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/world_folder.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/waiting.h"
#include "program/startup.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace {

using rf::platform::VirtualConsole;

std::int64_t fixedClock = 0;
std::int64_t FixedClock() { return fixedClock; }

// The rows as the web page shows them: its terminal draws the ambiguous
// glyphs one cell wide.
std::string ShownRow(int y) {
    static rf::platform::TerminalRenderer renderer = [] {
        rf::platform::TerminalRenderer r(rf::platform::Colours::kExact);
        r.SetAmbiguousWidth(1);
        return r;
    }();
    renderer.Want(rf::headless::Screen());
    return renderer.ShownRow(y);
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::vector<std::string> screens;

void Capture() {
    std::string s = "[";
    for (int y = 0; y < VirtualConsole::kVisibleRows; ++y) s += (y ? ",\n  " : "\n  ") + Json(ShownRow(y));
    screens.push_back(s + "]");
}

// The codes of the script not yet read, and whether the game waits.
std::deque<int> script;
rf::platform::IdlePolls idle;
std::uint64_t versionAtLastPoll = 0;
bool afterPrefix = false;
// A game that goes on this long without waiting for a key (a chase on the
// field after the battle) is stopped there.
constexpr std::int64_t kRunOnMs = 60'000;
std::int64_t lastKeyMs = 0;
bool waitingAtEnd = true;

void Sleep(std::uint32_t ms) {
    idle.Busy();
    rf::platform::HeadlessBackend().sleep(ms);
    if (rf::headless::NowMs() - lastKeyMs > kRunOnMs) {
        waitingAtEnd = false;
        throw rf::headless::ScriptEnded{};
    }
}

bool KeyWaiting() {
    std::uint64_t version = rf::headless::Screen().Version();
    if (version != versionAtLastPoll) idle.Busy();
    versionAtLastPoll = version;
    // The second code of an arrow follows its prefix at once.
    if (afterPrefix) return true;
    if (!idle.Idle()) return false;
    if (script.empty()) throw rf::headless::ScriptEnded{};
    return true;
}

int ReadKey() {
    if (script.empty()) throw rf::headless::ScriptEnded{};
    if (!afterPrefix) Capture();
    int code = script.front();
    script.pop_front();
    afterPrefix = code == rf::headless::kPrefix;
    lastKeyMs = rf::headless::NowMs();
    idle.Busy();
    return code;
}

bool QueueKey(const std::string& name) {
    using namespace rf::headless;
    int arrow = name == "Up" ? kUp : name == "Down" ? kDown : name == "Left" ? kLeft : name == "Right" ? kRight : 0;
    int code = name == "Enter"    ? kEnter
               : name == "Space"  ? kSpace
               : name.size() == 1 ? static_cast<unsigned char>(name[0])
                                  : -1;
    if (arrow != 0) {
        script.insert(script.end(), {kPrefix, arrow});
    } else if (code >= 0) {
        script.push_back(code);
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: ranks_headless_screens WORLD CLOCK_SECONDS KEY...\n", stderr);
        return 2;
    }
    rf::ResetGameState();
    rf::headless::Reset();
    rf::dataRoot = argv[1];
    fixedClock = std::stoll(argv[2]);
    for (int i = 3; i < argc; ++i) {
        if (!QueueKey(argv[i])) {
            std::fprintf(stderr, "unknown key '%s'\n", argv[i]);
            return 2;
        }
    }
    rf::platform::Backend fixed = rf::platform::HeadlessBackend();
    fixed.clockSeconds = FixedClock;
    fixed.sleep = Sleep;
    fixed.keyWaiting = KeyWaiting;
    fixed.readKey = ReadKey;
    rf::platform::UseBackend(fixed);
    int status = 0;
    try {
        rf::StartUp();
        rf::MainLoop();
    } catch (const rf::headless::ScriptEnded&) {
        Capture();
    } catch (const rf::headless::ExitCalled& e) {
        Capture();
        status = e.status;
    } catch (const rf::headless::Watchdog& w) {
        std::fprintf(stderr, "watchdog: %s\n", w.why.c_str());
        for (int y = 0; y < VirtualConsole::kVisibleRows; ++y) std::fprintf(stderr, "%s\n", ShownRow(y).c_str());
        return 1;
    }
    std::printf("{\"status\": %d, \"waitingAtEnd\": %s, \"keysLeft\": %zu, \"screens\": [", status,
                waitingAtEnd ? "true" : "false", script.size());
    for (std::size_t i = 0; i < screens.size(); ++i) std::printf("%s%s", i ? ",\n" : "\n", screens[i].c_str());
    std::printf("]}\n");
    return 0;
}
