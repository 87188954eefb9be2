// The five-line message window of the battle screen: texts typed out at
// 50 ms a byte and acknowledged with Enter, Right or Down.
#pragma once

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

// Moves the history one slot down; slot 0 then takes the new text.
void PushMessage();
void SetNewestMessage(std::string_view text);
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
// Push, put the text in slot 0 and show it, without waiting for a key.
void ShowMessage(std::string_view text);

}  // namespace rf
