// The tools for world authors on the command line: `ranks new`, `ranks
// check`, `ranks balance` and `ranks edit`. The web page plays only: its build links a
// stand-in that says so, and none of the tools' code.
#pragma once

#include "program/options.h"

namespace rf {

// Each returns the program's exit status.
int RunNewWorld(const Options& options);
// `ranks check` or `ranks balance`, as options.command says.
int RunAuthorsTool(const Options& options);
// `ranks edit [DIR]`: the world painter, in the game's console.
int RunPainterTool(const Options& options);

}  // namespace rf
