// Recording a console session and replaying it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// Recording: from now on every answer the console session gives the game
// (each key test, key read and clock reading) is appended to each file
// (opened with OpenOutputFile, platform/player_files.h) after `header`. The
// files stay open until the process ends.
void StartRecording(const std::vector<std::FILE*>& files, std::string_view header);

// Replay: the events of the recording at `path`, from byte `eventsAt` on,
// answer the game's key tests, key reads and clock readings. On screen the
// pace is the recording's own, `speed` times faster (0: no pauses at all);
// Space pauses, Ctrl+C quits. Headless, the game runs in virtual time
// without a terminal. When the events are used up the before-exit hook runs
// and the process ends with status 0. False (with the reason) when the
// events cannot be read. The file is read a line at a time.
bool StartReplay(const std::string& path, std::uint64_t eventsAt, int speed, bool headless, std::string& error);
// A headless replay lived through as a terminal would be (platform/cast.h):
// the player's own time passes in virtual time too, and every key test is
// a moment the screen is presented.
void ReplayAsSeen();
// The same from events in memory.
bool StartReplayOf(std::string events, int speed, bool headless, std::string& error);
// The headless session's screen as 25 lines of UTF-8, trailing blanks cut.
std::vector<std::string> HeadlessScreenLines();
// A digest of every screen the headless session has shown.
std::string HeadlessScreensDigest();

}  // namespace rf::platform
