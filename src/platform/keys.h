// The key codes one read of the console returns, as the legacy console
// hands them over: an extended key arrives as a prefix (224, or 0 for the
// function keys and the keypad) and then its scan code.
#pragma once

namespace rf::platform::keys {

inline constexpr int kPrefix = 224;
inline constexpr int kFunctionPrefix = 0;

// Scan codes after a prefix.
inline constexpr int kHome = 71, kUp = 72, kPageUp = 73, kLeft = 75, kRight = 77, kEnd = 79, kDown = 80, kPageDown = 81,
                     kInsert = 82, kDelete = 83;
inline constexpr int kF1 = 59;  // F1 to F10 are 59 to 68
inline constexpr int kF11 = 133, kF12 = 134;

// Plain codes.
inline constexpr int kCtrlC = 3;
inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
// Walking keys of roguelike players, and the numeric keypad's digits.
inline constexpr int kViLeft = 'h', kViDown = 'j', kViUp = 'k', kViRight = 'l';
inline constexpr int kPad8 = '8', kPad2 = '2', kPad4 = '4', kPad6 = '6';
// On the field: say where the hero is and what is around.
inline constexpr int kWhere = 'w', kWhereCapital = 'W';

// A character beyond ASCII typed while text is taken (TakeText in
// platform/console_session.h): this plus its code point, one code, so no
// byte of it can pass for a prefix or a scan code.
inline constexpr int kTypedCharacter = 0x200000;

}  // namespace rf::platform::keys
