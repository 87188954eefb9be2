// A world's own texts in another language: its names (hero, enemies,
// abilities) and the writing in its map pictures, from a gettext file the
// world keeps beside its data, translations/LANG.po. The records keep the
// world's own texts; only what is drawn is translated.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/load_log.h"

namespace rf {

// One entry: msgctxt the world's file the text is in ("Hero_Info/
// Hero_Status_Info.txt", "map_form/map1/1.txt"), msgid the text as that
// file has it, msgstr its translation; all in code page 932.
struct TranslatedText {
    std::string context;
    std::string original;
    std::string translated;
    LoadToken at;      // its msgid in the file
    LoadToken textAt;  // its msgstr's text
};

// Where a translated text covers a map picture: grid cell and bytes.
struct MapOverlay {
    int gridX = 0;
    int gridY = 0;
    std::string text;
};

struct WorldTranslation {
    std::vector<TranslatedText> texts;
    std::vector<MapOverlay> overlays;
};

extern WorldTranslation worldTranslation;

// The folder of a world's translations, and the file of one language.
inline constexpr std::string_view kTranslationsFolder = "translations";
std::string TranslationFile(std::string_view code);

// Reads the translation `file` (under the world folder) as the game does,
// into `out`: a PO file in UTF-8, whose characters that code page 932 lacks
// become "・" and whose line breaks and tabs in a translation become blanks
// (a text is drawn on one row); untranslated, fuzzy and repeated entries are
// left out. With the load log on, says what it finds where it stands.
enum class TranslationRead { kMissing, kUnreadable, kRead };
TranslationRead ReadTranslation(const std::string& file, std::vector<TranslatedText>& out);

// The translation of the world in dataRoot into the game's language, if the
// world has one (none for the default language, the world's own).
void LoadWorldTranslation();

// A text of the world's files as it is drawn: its translation, if any.
std::string_view WorldText(std::string_view original);

}  // namespace rf
