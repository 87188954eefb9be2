// The game's console session: the effects of the legacy console (cursor,
// attribute, write, cursor visibility), sleeping, the keyboard, the clock
// and the ways out. The native backend is chosen when the program is
// linked: the terminal or Windows console for the game, headless for tests;
// the session can be switched to the headless one at run time
// (platform/backend.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// Takes over the console for the game (raw keys, hidden cursor, the
// alternate screen on a terminal). Every way out restores it.
void Open();

// How a screen that draws the console itself (a terminal, the web page)
// shows the highlight: marked in reverse video, which tells the selected
// command, target or menu line from the others at a glance (the default),
// or in the console's own bright white. Set before Open.
void UseConsoleLook(bool console);
bool ConsoleLook();
// The console's underscore bit (COMMON_LVB_UNDERSCORE), which a terminal
// and the page draw underlined: the mark of a selection behind the menu
// that has the keys, in the default look.
inline constexpr std::uint16_t kUnderscore = 0x8000;

// Console output. Bytes are code page 932.
void SetCursorPosition(int x, int y);
void SetAttribute(std::uint16_t attribute);
void Write(std::string_view bytes);
void SetCursorVisible(bool visible);
bool CursorVisible();
// Whether nobody sees the console (a run of many battles in virtual time):
// drawing then only has to leave the cursor where it would be, so an
// animation may draw the frame it ends on alone, its pauses passing as ever.
bool Unseen();

// Pauses.
void Sleep(std::uint32_t milliseconds);
// Up to `steps` pauses of `step` milliseconds, as many Sleep(step) would
// be, between which the game looks for a key: ends with the pause in which
// a key came (or one that was waiting already), and says how many passed
// (at least one). A key acts just when it would after that pause, but
// nothing wakes while none comes.
std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps);

// Sleeps until the seconds clock reaches `seconds` (its tick), in one wait
// however long; a clock set back meanwhile does not lengthen it.
void SleepUntilClock(std::int64_t seconds);

// The game's word that, until a key comes, nothing it does changes its
// records or the screen (a field whose enemies are all stuck): its pauses
// and key tests may then pass in one wait for that key, which still acts
// just when it would have. It holds until a key is handed over.
void NothingMovesUntilKey();

// Keyboard: a test that never blocks, and an unechoed read of one key code
// (an extended key arrives as a prefix 0 or 224 and then its scan code).
bool KeyWaiting();
int ReadKey();

// Text typed beyond ASCII (through an input method) arrives as one code a
// character, keys::kTypedCharacter + its code point, while `on`; the game
// itself leaves it off, and such text is skipped.
void TakeText(bool on);
// Runs another program (`command`: its path or name, then its arguments) in
// this console and waits for it: the console is handed over to it as the
// game found it, and taken back (and drawn again) after. Its exit status;
// -1 when it could not be run, or where no backend can.
int RunInConsole(const std::vector<std::string>& command);

// Wall-clock time in whole seconds since the epoch.
std::int64_t ClockSeconds();

// Ends the process with the terminal restored.
[[noreturn]] void Exit(int status);
// A line for standard error that Exit prints once the terminal is back
// (why the game had to stop); empty for none.
void SetFarewell(std::string_view text);
void AddToFarewell(std::string_view text);

// Quitting. Ctrl+C, a request to end (SIGTERM, a hang-up, the console
// window closing) and the end of a replay run this hook once, on the game's
// own thread, at the backend's next call, and then the process ends as it
// would have without it. The platform calls back here, against the flow of
// the game, because only the backend knows that the process is about to end.
// Setting a hook arms it (again). `keep`, when given, keeps what quitting
// would keep without quitting: a page that may be closed at any moment
// calls it where the game reads keys.
void SetBeforeExit(void (*hook)(), void (*keep)() = nullptr);

}  // namespace rf::platform
