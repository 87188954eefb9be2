// The texts the game draws, asked for by name in the player's language.
// The catalogue itself is made by the build from po/ (core/catalogue.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/catalogue.h"

namespace rf {

// The text in the game's language (`language`, core/game_state.h); one not
// translated there reads in the language the texts were written in.
std::string_view Text(TextId id);
// The text in language `in` (an index into kLanguageCodes).
std::string_view TextIn(int in, TextId id);

// The most cells the text may take where it is drawn (code page 932 has
// as many bytes as cells).
inline int TextCells(TextId id) { return kTextEntries[static_cast<int>(id)].cells; }

// The index of a language code in kLanguageCodes, or -1.
int LanguageIndex(std::string_view code);
// "ja, en": the known codes, for a refusal.
std::string KnownLanguages();

}  // namespace rf
