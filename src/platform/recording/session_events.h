// What the console session answered the game, as a recording keeps it: a
// small text of tokens, each a letter and a number, one line per write
// (older recordings put blanks between the tokens; both read alike).
//   nN   N key tests in a row that found no key
//   +C   a key test that found a key, and the read that returned code C
//   aC   the same for an extended key: +224 and then +C
//   y    a key test that found a key not read at once
//   rC   a key read not announced by a key test, returning C
//   cS   a clock reading of S seconds
//   tM   M milliseconds of the player's own time (beyond the game's pauses)
// Plain code, so every platform's tests and the fuzzers cover it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

struct SessionEvent {
    enum Kind : char { kNoKeys = 'n', kKey = '+', kKeyWaiting = 'y', kRead = 'r', kClock = 'c', kTime = 't' };
    Kind kind;
    std::int64_t value = 0;
};

// The longest line a recording may hold (the game writes about 72 bytes a
// line): what a replay keeps in memory at a time.
inline constexpr std::size_t kLongestEventLine = 64 * 1024;

// Appends the token of one event (with its separator) to `out`.
void AppendEvent(std::string& out, const SessionEvent& event);

// The events of one whole line (without its line break), appended to
// `events`; false, with the reason, for a token that is not one of the
// above or a number too large for the format.
bool ParseEventLine(std::string_view line, std::size_t lineNumber, std::vector<SessionEvent>& events,
                    std::string& error);

// The events of whole lines; a last line without its line break (a
// recording cut short) is left out.
bool ParseEvents(std::string_view text, std::vector<SessionEvent>& events, std::string& error);

}  // namespace rf::platform
