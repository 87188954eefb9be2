#include "program/startup.h"

#include <string>
#include <string_view>

#include "battle/attack.h"
#include "console/console.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "field/field_enemies.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "saves/autosave.h"

namespace rf {

namespace {

// The play-test's start: the map and cell asked for (on a wall, the nearest
// free cell, as for a save), the hero grown to the level asked for with the
// game's own level-ups, as the balance tool grows him.
void PlaceForTest(const StartPlace& place) {
    if (place.level > 0) GrowHero(hero, place.level);
    if (place.map == 0) return;
    hero.mapNumber = static_cast<std::int16_t>(place.map);
    int x = place.x >= 0 ? place.x : hero.fieldX, y = place.x >= 0 ? place.y : hero.fieldY;
    if (!StandsFree(place.map, x, y)) NearestFreeCell(place.map, x, y);
    hero.fieldX = static_cast<std::int16_t>(x);
    hero.fieldY = static_cast<std::int16_t>(y);
}

}  // namespace

void StartUp(const StartPlace& place) {
    LoadNewGame(place);
    DrawNewGame(place);
}

void LoadNewGame(const StartPlace& place) {
    // A status file that cannot be read leaves its record zero; start-up goes on.
    LoadHeroStatus();
    LoadAllEnemyStatus();
    LoadAllAbilities();
    // A start cell off the field would put the hero where no step can reach.
    ClampHeroCell();
    LoadMapForms(worldNumber);
    PlaceForTest(place);
    LoadMapEnemies(worldNumber);
}

void DrawNewGame(const StartPlace& place) {
    SetTextAttribute(kPlain);
    HideCursor();
    DrawFirstFieldScreen();
    // A play-test starts as walking into the map would: its mark drawn, the strip opened.
    if (place.map != 0) DrawCurrentPieceMark();
}

void DrawFirstFieldScreen() {
    DrawField();
    DrawMiniMapFrame();
    // The mini-map text is read between its frame and its content.
    LoadMiniMap(worldNumber);
    DrawMiniMap();
    DrawMiniMapMark();
    DrawLegend();
}

void DrawFieldScreen() {
    DrawField();
    DrawMiniMapFrame();
    DrawMiniMap();
    DrawMiniMapMark();
    DrawLegend();
}

void MainLoopPass() {
    PollHeroKey();
    // The count is read again every time: a battle or a map change alters it.
    for (std::int16_t i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        FieldEnemy& e = fieldEnemies.entries[i];
        if (EnemyTurn(e.kind, e.x, e.y, e.groupSize) == kBattleFought) {
            RemoveFieldEnemy(i);
            ClearScreen();
            MoveTo(0, 0);
            DrawFieldScreen();
            // A mark that was on the screen comes back (its strip is open
            // already); one never shown, as on a start map, stays unshown.
            if (pieceMarkOnScreen) DrawCurrentPieceMark();
            SaveAfterBattle();
        }
        PollHeroKey();
    }
}

void MainLoop() {
    for (;;) MainLoopPass();
}

}  // namespace rf
