// The hero's steps on the field and the passage to a neighbouring map.
#pragma once

namespace rf {

inline constexpr int kStepBlocked = 0;
inline constexpr int kStepFull = 1;
inline constexpr int kStepShort = 2;
inline constexpr int kStepLeavesMap = 3;

// Sleep after each scroll frame, so the change of map can be seen.
inline constexpr unsigned kScrollColumnFrameMs = 10;  // a frame a column of the map
inline constexpr unsigned kScrollRowFrameMs = 30;     // a frame a row

// Passability of a step by direction key for a mover at (x, y) of the current map.
int TestStep(int key, int x, int y);
void MoveHero(int key);
// If a key is waiting, hands it to the hero (and saves after a change of map).
void PollHeroKey();
// Direction as the arrow's scan code.
void EnterNeighbourMap(int direction);
// Keeps the hero's cell within the field.
void ClampHeroCell();
// Whether a two-cell mark stands free at (x, y) of map `map`.
bool StandsFree(int map, int x, int y);
// The free cell of map `map` nearest to (x, y), in steps; false when the
// map has none.
bool NearestFreeCell(int map, int& x, int& y);

}  // namespace rf
