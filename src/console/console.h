// Console drawing state and its primitives: every drawing step stores its
// cell and attribute in ConsoleState and passes them to the platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/keys.h"

namespace rf {

inline constexpr std::uint16_t kPlain = 7;
inline constexpr std::uint16_t kIntensity = 8;

// The keys the game looks at, as one read returns them (platform/keys.h).
inline constexpr int kKeyUp = platform::keys::kUp;
inline constexpr int kKeyDown = platform::keys::kDown;
inline constexpr int kKeyLeft = platform::keys::kLeft;
inline constexpr int kKeyRight = platform::keys::kRight;
inline constexpr int kKeyEnter = platform::keys::kEnter;
inline constexpr int kKeySpace = platform::keys::kSpace;
inline constexpr int kKeyEscape = platform::keys::kEscape;
inline constexpr int kKeyWhere = platform::keys::kWhere;
inline constexpr int kKeyWhereCapital = platform::keys::kWhereCapital;

void HideCursor();
void ShowCursor();
// Whether anyone sees the console (platform::Unseen).
bool Seen();
// Whether frame `frame` (from 0) of an animation of `frames` is drawn: each
// one where anyone sees the console. Where nobody does, only the first,
// which takes up a half character left open before it as the console would,
// and the last, after which the cursor stands where the animation leaves it;
// the pauses pass and the records change frame by frame all the same.
bool DrawsFrame(int frame, int frames);
void SetTextAttribute(std::uint16_t attribute);
// The current attribute with the intensity bit added (15 from 7).
void Highlight();
void MoveTo(int x, int y);

// Writes at the console cursor, as "%s", "%d" and "%s\n" would.
void Write(std::string_view text);
void WriteNumber(long long value);
void WriteLine(std::string_view text);
void WriteSpaces(int count);
// A frame's top edge: `before` underscores, the title, then underscores out
// to `width` cells.
std::string Underlined(std::string_view title, int before, int width);

// The console's size in cells.
inline constexpr int kScreenColumns = 80;
inline constexpr int kScreenRows = 25;
// Blanks 30 rows of the whole width from the top-left cell.
void ClearScreen();

// The keyboard and pauses, as the game uses them.
bool KeyWaiting();
// One key code; with the extra keys on, h j k l and the keypad's 8 2 4 6
// come as the arrows' scan codes (their prefix is ignored everywhere alike).
int ReadKey();
// Reads and drops every key typed so far.
void DiscardWaitingKeys();
// Drops keys until none has come for kQuietMs: a held key (its repeats come
// far faster) acts no more until it is let go.
inline constexpr std::uint32_t kQuietMs = 250;
void DropKeysUntilQuiet();
void Pause(std::uint32_t milliseconds);
// Up to `steps` pauses of `step` ms with a look for a key after each, ending
// with the one in which a key came: how many passed (platform::PauseForKey).
std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps);
// Nothing changes before the next key: the pauses may pass in one wait for it
// (platform::NothingMovesUntilKey).
void NothingMovesUntilKey();

}  // namespace rf
