#pragma once

namespace rf {

// The program: reads the command line, then starts the game. Returns the
// exit status for the options that end at once (--help, --version, errors).
int Main(int argc, char** argv);

}  // namespace rf
