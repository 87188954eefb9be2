// The tools for world authors, run from the game's own command line:
// `ranks check [DIR]` and `ranks balance [DIR] [--battles N]`.
#pragma once

namespace rf::authoring {

// Runs the tool that argv[1] names and returns its exit status; -1 when
// argv[1] names no tool (the game then reads the command line itself).
int RunAuthoringCommand(int argc, char** argv);

}  // namespace rf::authoring
