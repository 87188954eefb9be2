// The enemies walking on the field towards the hero, and the encounter
// that starts when one of them reaches it.
#pragma once

#include <cstdint>

namespace rf {

inline constexpr int kTurnDone = 1;
inline constexpr int kBattleFought = 2;

inline constexpr unsigned kWaitPolls = 13;
inline constexpr unsigned kWaitPollMs = 10;
inline constexpr unsigned kWipeFrameMs = 30;

// One enemy's turn: up to two steps towards the hero.
int EnemyTurn(std::int32_t kind, std::int32_t& x, std::int32_t& y, std::int32_t groupSize);
// One step by direction key: 0 blocked, 1 done, 2 a battle was fought.
int EnemyStep(int direction, std::int32_t kind, std::int32_t& x, std::int32_t& y, std::int32_t groupSize);
bool TouchesHero(int x, int y);
void WipeIn();
void WipeOut();
// Takes entry `index` off the current map and closes the gap.
void RemoveFieldEnemy(int index);

}  // namespace rf
