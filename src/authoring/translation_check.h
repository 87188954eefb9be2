// `ranks check` on the world's translations: for each language the game
// knows, a text missing, one too many, or one that does not fit where the
// game draws it; translation files the game never reads. And the texts a
// translation gives, as a template for translators.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/load_log.h"

namespace rf::authoring {

// A text of the world that the player reads, and so a translation gives:
// the world's file it is in (a translation's msgctxt), the text as that file
// has it (code page 932), where it stands, and the cells its place has.
// The Queen's and the King's names are never drawn: a translation may give
// them, and need not.
struct WorldTextPlace {
    std::string context;
    std::string text;
    LoadToken at;
    std::size_t cells = 0;
    std::string what;  // what it is, for the translator
    bool drawn = true;
};

// Every text to translate, in the order of the world's files; the world is
// loaded. A map's texts are the runs of a sign the player reads (with kana,
// kanji or letters, two at least and not one repeated), not decoration (a
// run of one symbol, or of the world file's decoration).
std::vector<WorldTextPlace> TextsToTranslate();

// A gettext template (.pot) of those texts, each with its place and cells.
std::string TranslationTemplate();

// Adds its findings to the load log; the world's files are loaded already.
void CheckTranslations();

}  // namespace rf::authoring
