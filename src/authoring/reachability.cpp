#include "authoring/reachability.h"

#include <deque>
#include <utility>

#include "console/console.h"
#include "field/field_enemies.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"

namespace rf::authoring {
namespace {

constexpr int kKeys[] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};

struct Place {
    int map, x, y;
};

// Where the hero stands after one key; false when the key does nothing.
// Steps within a map are the game's own (MoveHero, on the headless
// screen); a passage lands where EnterNeighbourMap puts the hero, without
// its scrolling and its reload of the enemy list.
bool HeroStep(const Place& from, int key, Place& to) {
    hero.mapNumber = static_cast<std::int16_t>(from.map);
    to = from;
    const int r = TestStep(key, from.x, from.y);
    if (r == kStepBlocked) return false;
    if (r == kStepLeavesMap) {
        if (key == kKeyRight) to.map += 1, to.x = 0;
        if (key == kKeyLeft) to.map -= 1, to.x = kRightExitColumn;
        if (key == kKeyDown) to.map += kMapsAcross, to.y = 0;
        if (key == kKeyUp) to.map -= kMapsAcross, to.y = kLastHeroRow;
        return IsMapNumber(to.map);
    }
    hero.fieldX = static_cast<std::int16_t>(from.x);
    hero.fieldY = static_cast<std::int16_t>(from.y);
    MoveHero(key);
    to.x = hero.fieldX;
    to.y = hero.fieldY;
    return to.x != from.x || to.y != from.y;
}

bool ShowsMark(int map) { return map == worldInfo.queenMark.map || map == worldInfo.kingMark.map; }

}  // namespace

HeroReach FloodHero() {
    const HeroStatus saved = hero;
    const std::int16_t savedMap = hero.mapNumber;
    HeroReach reach;
    std::deque<Place> queue;
    auto visit = [&](const Place& p) {
        auto bit = reach.cells[p.map][CellIndex(p.x, p.y)];
        if (bit) return;
        bit = true;
        queue.push_back(p);
    };
    // From the cell the game starts on: a wall gives way to the nearest free cell.
    int startX = hero.fieldX, startY = hero.fieldY;
    if (!StandsFree(savedMap, startX, startY)) NearestFreeCell(savedMap, startX, startY);
    visit({savedMap, static_cast<std::int16_t>(startX), static_cast<std::int16_t>(startY)});
    while (!queue.empty()) {
        const Place p = queue.front();
        queue.pop_front();
        for (int key : kKeys) {
            Place to;
            if (!HeroStep(p, key, to)) continue;
            if (to.map != p.map && ShowsMark(to.map) && !reach.stripOpened) {
                // The strip opens on entering a marked map: every place found so far may go further now.
                OpenStrip();
                reach.stripOpened = true;
                for (int m = 1; m <= kMaps; ++m)
                    for (int y = 0; y < kMapRows; ++y)
                        for (int x = 0; x <= kLastHeroColumn; ++x)
                            if (reach.cells[m][CellIndex(x, y)]) queue.push_back({m, x, y});
            }
            visit(to);
        }
    }
    hero = saved;
    return reach;
}

bool EnemyCanReach(int map, int x, int y, const CellSet& heroCells) {
    const HeroStatus saved = hero;
    hero.mapNumber = static_cast<std::int16_t>(map);
    // The hero off the field: the enemy's steps (the game's own) never start a battle here.
    hero.fieldY = -100;
    CellSet seen;
    std::deque<std::pair<int, int>> queue{{x, y}};
    seen[CellIndex(x, y)] = true;
    bool reaches = false;
    while (!queue.empty() && !reaches) {
        auto [cx, cy] = queue.front();
        queue.pop_front();
        // Contact: the hero on the same row within one column.
        for (int hx = cx - 1; hx <= cx + 1; ++hx)
            if (hx >= 0 && hx <= kLastHeroColumn && heroCells[CellIndex(hx, cy)]) reaches = true;
        for (int key : kKeys) {
            std::int32_t nx = cx, ny = cy;
            if (EnemyStep(key, kPawn, nx, ny, 1) == 0 || seen[CellIndex(nx, ny)]) continue;
            seen[CellIndex(nx, ny)] = true;
            queue.push_back({nx, ny});
        }
    }
    hero = saved;
    return reaches;
}

}  // namespace rf::authoring
