// The five-line message window of the battle screen: texts typed out at
// 50 ms a byte and acknowledged with Enter, Right or Down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rf {

inline constexpr int kMessageTop = 13;    // row of line 1
inline constexpr int kMessageWidth = 51;  // cells per line
inline constexpr int kTypingDelayMs = 50;
// At the auto pace a typed message stays this long before the next one.
inline constexpr std::uint32_t kAutoPauseMs = 800;
inline constexpr std::uint32_t kAutoPollMs = 10;

// A message as the player reads it, and how many bytes its typing takes:
// its length in the first language, so the game tests the keys as often,
// and waits as long, in every language (a recording made in one replays in
// another). Made by Say (console/compose.h).
struct Message {
    std::string text;
    std::size_t pace = 0;
};

// Moves the history one slot down; slot 0 then takes the new text.
void PushMessage();
// `pace` 0: the text's own length.
void SetNewestMessage(std::string_view text, std::size_t pace = 0);
// Redraws lines 2 to 5 from the history and types slot 0 on line 1.
void ShowMessages();
// Blanks line 1 to 5 and empties its history slot.
void ClearMessageLine(int line);
void ClearAllMessageLines();
bool IsAcknowledgeKey(int code);
// Waits for Enter, Right or Down, with a waiting mark in the default look;
// at the auto pace a short pause stands for the key (a key hurries it).
void WaitForAcknowledge();
void ShowMessageAndWait(std::string_view text);
void ShowMessageAndWait(const Message& message);
// Puts the text in slot 0 and draws it on line 1 at once: no typing, no
// pause, nothing a recording or the rules count.
void DrawNewestAtOnce(std::string_view text);
// Push, put the text in slot 0 and show it, without waiting for a key.
void ShowMessage(std::string_view text);
void ShowMessage(const Message& message);

}  // namespace rf
