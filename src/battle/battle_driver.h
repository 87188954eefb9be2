#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace rf {

// Runs one whole battle against `size` enemies of the record's kind.
int RunBattle(EnemyStatus& enemy, std::int16_t size);

}  // namespace rf
