#include "core/game_state.h"

#include "core/load_log.h"
#include "core/save_keeping.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "core/world_translation.h"

namespace rf {

HeroStatus hero;
EnemyTable enemyTable;
AbilityTable abilityTable;
WorldGrid worldGrid;
WorldInfo worldInfo;
FieldEnemyList fieldEnemies;
MiniMapText miniMapText;
BattleState battle;
ItemEffectState itemEffects;
BattleRandom battleRandom;
HeroStatus heroSnapshot;
ConsoleState console;
MessageWindow messageWindow;
Journey journey;
Settings settings;
SaveKeeping saveKeeping;
std::int16_t battleLeft = kBattleLeftRest;
std::int16_t heroPanelLeft = kHeroPanelLeftRest;
std::int16_t menuTop = 0;
bool pieceMarkOnScreen = false;
FieldHeard fieldHeard;
std::int16_t language = 0;
std::string dataRoot;
LoadLog loadLog;
WorldTranslation worldTranslation;

void ResetGameState() {
    hero = {};
    enemyTable = {};
    abilityTable = {};
    worldGrid = {};
    worldInfo = {};
    fieldEnemies = {};
    miniMapText = {};
    battle = {};
    itemEffects = {};
    battleRandom = {};
    heroSnapshot = {};
    console = {};
    messageWindow = {};
    journey = {};
    settings = {};
    saveKeeping = {};
    battleLeft = kBattleLeftRest;
    heroPanelLeft = kHeroPanelLeftRest;
    menuTop = 0;
    pieceMarkOnScreen = false;
    fieldHeard = {};
    language = 0;
    dataRoot.clear();
    loadLog = {};
    worldTranslation = {};
    worldAbout = {};
}

}  // namespace rf
