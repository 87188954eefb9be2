// Console drawing state and its primitives: every drawing step stores its
// cell and attribute in ConsoleState and passes them to the platform.
#pragma once

#include <cstdint>
#include <string_view>

namespace rf {

inline constexpr std::uint16_t kPlain = 7;
inline constexpr std::uint16_t kIntensity = 8;

// Key codes as one read returns them.
inline constexpr int kKeyPrefix = 224;
inline constexpr int kKeyPrefixFunction = 0;
inline constexpr int kKeyUp = 72;
inline constexpr int kKeyDown = 80;
inline constexpr int kKeyLeft = 75;
inline constexpr int kKeyRight = 77;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeySpace = 32;

void HideCursor();
void ShowCursor();
void SetTextAttribute(std::uint16_t attribute);
// The current attribute with the intensity bit added (15 from 7).
void Highlight();
void MoveTo(int x, int y);

// Writes at the console cursor, as "%s", "%d" and "%s\n" would.
void Write(std::string_view text);
void WriteNumber(long long value);
void WriteLine(std::string_view text);
void WriteSpaces(int count);
// Blanks 30 rows of 80 cells from the top-left cell.
void ClearScreen();

// The keyboard and pauses, as the game uses them.
bool KeyWaiting();
int ReadKey();
// Reads and drops every key typed so far.
void DiscardWaitingKeys();
void Pause(std::uint32_t milliseconds);

}  // namespace rf
