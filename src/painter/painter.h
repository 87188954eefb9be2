// `ranks edit`: the world painter. The world's maps drawn as the field
// draws them, with a cursor, in the game's own console; the author paints
// walls, blanks and signs, places the enemy groups, the marks and the
// start, sees the checker's findings where they stand, play-tests from
// the cursor and saves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "authoring/world_check.h"

namespace rf::painter {

struct PainterSetup {
    std::string dir;       // the world's folder
    std::string program;   // how this program was started, to play-test with
    std::string language;  // --lang as given, passed on to a play-test
    // The checker's findings for the world, the unsaved files standing for
    // theirs on disk (ranks check's own in the program; a test gives its
    // own, so nothing resets its session).
    std::function<authoring::CheckResult(const std::string& dir, const std::vector<HeldFile>& unsaved)> check;
    // Runs a play-test in the console and says its exit status
    // (platform::RunInConsole when not given).
    std::function<int(const std::vector<std::string>& command)> play;
};

// Paints until the author quits; the console must be open. Its exit status.
int RunPainter(const PainterSetup& setup);

// Asks on the open console whether to make a new world in the empty folder
// `dir`; true when the author said yes.
bool AskToMakeWorld();

}  // namespace rf::painter
