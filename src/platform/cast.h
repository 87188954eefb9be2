// A replay written as an asciicast (version 2): the frames that a terminal
// of the xterm kind would have been sent, by the same renderer as a live
// game, each at the time the game drew it. Players that know the format
// (asciinema's, on the command line and on web pages) show it.
#pragma once

#include <string>
#include <string_view>

namespace rf::platform {

// A compressed cast cuts every wait longer than this (after the speed).
inline constexpr int kCastIdleLimitMs = 2000;

// Why `path` may not take a cast: only a new file, an empty one or an
// earlier asciicast is replaced. Empty when it may.
std::string CastFileProblem(const std::string& path);
// From now on (a headless replay, StartReplay) every frame a terminal would
// be sent is kept with its time, for `path`. `speed` divides the times;
// above 1 a wait is also cut to kCastIdleLimitMs.
void StartCast(const std::string& path, int speed);
// The asciicast of the frames kept so far, its header titled `title`
// (UTF-8).
std::string CastText(std::string_view title);
// Writes it to the path given to StartCast; false with the reason.
bool WriteCast(std::string_view title, std::string& problem);

}  // namespace rf::platform
