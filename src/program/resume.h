// Resuming a saved game: start-up with the saved hero, item effects and
// opened strip, the hero on his saved map and cell as if he had just
// entered it (its enemies read afresh, its marks drawn).
#pragma once

#include "saves/save_format.h"

namespace rf {

void ResumeGame(const SaveData& save);

}  // namespace rf
