// What one run of the program plays: a new game (saved and recorded as it
// goes), a continued one, or a replay; or the list of saved games.
#pragma once

#include <string>

namespace rf {

struct SessionOptions {
    bool continueGame = false;
    std::string continueFile;  // empty: the most recent game of the world
    bool listSaves = false;
    std::string recordFile;
    std::string replayFile;
    int speed = 1;  // 0: as fast as it goes
    bool headless = false;
};

// Takes the option at argv[i] when it is one of these: the number of
// arguments used, 0 when it is not one of them, -1 when it lacks its value.
int TakeSessionOption(int argc, char** argv, int i, SessionOptions& options);

// Runs the session; `world` is the --world folder (empty when not given).
// Returns only for what ends at once (a listing, a refusal).
int RunSession(const SessionOptions& options, const std::string& world);

}  // namespace rf
