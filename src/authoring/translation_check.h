// `ranks check` on the world's translations: for each language the game
// knows, a text missing, one too many, or one that does not fit where the
// game draws it.
#pragma once

namespace rf::authoring {

// Adds its findings to the load log; the world's files are loaded already.
void CheckTranslations();

}  // namespace rf::authoring
