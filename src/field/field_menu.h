// The field menu, opened with Space (or Esc) on the field: the hero's
// status and journey, the items, the abilities, how to play, the settings
// and quitting. Drawn over the field's 60x20 cells, which it gives back
// when it closes; the field's time stands still while it is open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rf {

inline constexpr int kMenuPages = 6;
enum MenuPage : int { kStatusPage, kItemsPage, kAbilitiesPage, kHowToPage, kSettingsPage, kQuitPage };

// Runs the menu until Space or Esc closes it (or Quit ends the game).
void RunFieldMenu();

// The journey's end: the hero has first reached the King. A page over
// the whole screen shows the journey; Enter (or Space) gives the field
// back, and the game is saved with the King reached.
void RunJourneyEnd();
// Its lines (code page 932), for the tests too; `played` in seconds.
void JourneyEndLines(long long played, std::vector<std::string>& lines);

// The lines of a page as the menu shows them (code page 932), for the tests too.
// `played` is the time played in seconds.
void PageLines(int page, long long played, std::string_view keptProblem, std::vector<std::string>& lines,
               bool noSpeech = false);
// A run of text on a map is a sign: at least one kana or kanji (walls
// drawn with full-width symbols are not).
bool IsWords(std::string_view run);
// Speech on or off as settings.speech says; false, with the reason, when
// it cannot be had (settings.speech is then off).
bool UseSpeech(std::string& problem);

}  // namespace rf
