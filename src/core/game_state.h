// The game's process-wide records. Every operation reads and changes them
// in place.
#pragma once

#include <cstdint>
#include <string>

#include "core/item_table.h"
#include "core/map_geometry.h"

namespace rf {

struct ItemSlot {
    std::int16_t number = 0;
    std::int16_t count = 0;
};

struct HeroStatus {
    char name[16] = {};  // at most 15 bytes and a terminator
    std::int16_t maxHp = 0;
    std::int16_t attack = 0;
    std::int16_t defence = 0;
    std::int16_t magicAttack = 0;
    std::int16_t magicDefence = 0;
    std::int16_t speed = 0;
    std::uint32_t nextExp = 0;
    std::uint32_t exp = 0;
    std::int16_t level = 0;
    std::int16_t reserved[4] = {};
    ItemSlot items[kItemKinds] = {};
    std::int16_t fieldX = 0;
    std::int16_t fieldY = 0;
    // Working state, not in the hero file.
    std::int16_t mapNumber = 0;
    std::int16_t hp = 0;
    std::int16_t savedAttack = 0;
    std::int16_t savedDefence = 0;
};

enum EnemyKind : int { kPawn = 1, kKnight = 2, kBishop = 3, kRook = 4, kQueen = 5, kKing = 6 };

struct EnemyStatus {
    char name[20] = {};  // at most 19 bytes and a terminator
    std::int16_t kind = 0;
    char symbol[4] = {};  // at most 3 bytes and a terminator
    std::int16_t reserved = 0;
    std::int16_t target = 0;
    std::int16_t maxHp = 0;
    std::int16_t attack = 0;
    std::int16_t defence = 0;
    std::int16_t magicAttack = 0;
    std::int16_t magicDefence = 0;
    std::int16_t speed = 0;
    std::int16_t ability = 0;
    std::int16_t hpSlots[7] = {};
};

struct AbilityInfo {
    char name[20] = {};
    std::int16_t reserved = 0;
    std::int16_t power = 0;
    std::int16_t accuracy = 0;
};

// Index kind - 1: Pawn, Knight, Bishop, Rook, Queen, King.
struct EnemyTable {
    EnemyStatus kinds[6];
};

enum AbilityIndex : int { kSwordCut = 0, kFlame = 1, kBigRevolveSword = 2, kHellFlame = 3, kAbsoluteObedience = 4 };

struct AbilityTable {
    AbilityInfo abilities[5];
};

// The nine map pictures side by side.
struct WorldGrid {
    static constexpr int kRows = kMapsDown * kMapRows;
    static constexpr int kColumns = kMapsAcross * kMapColumns;
    unsigned char cells[kRows][kColumns] = {};
};

struct PieceMark {
    std::int16_t map = 0;
    std::int16_t x = 0;  // counted from 1
    std::int16_t y = 0;  // counted from 1
};

struct OpeningStrip {
    std::int16_t map = 0;
    std::int16_t x = 0;  // counted from 1
    std::int16_t unused = 0;
};

struct WorldInfo {
    PieceMark queenMark;
    PieceMark kingMark;
    OpeningStrip opening;
};

struct FieldEnemy {
    std::int32_t kind = 0;
    std::int32_t groupSize = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct FieldEnemyList {
    static constexpr int kCapacity = 5;
    FieldEnemy entries[kCapacity];
    std::int16_t count = 0;
    // Raised by every reload, so an enemy's turn can tell that its list was replaced.
    std::uint32_t loads = 0;
};

struct MiniMapText {
    static constexpr int kRows = 9;
    static constexpr int kColumns = 20;
    unsigned char text[kRows][kColumns] = {};
};

struct BattleState {
    std::int16_t remaining = 0;
    std::int16_t actionCount = 0;
    std::int16_t defeatedCount = 0;
    std::int16_t itemsUsed = 0;
    std::int16_t defeated[7] = {};
    std::int16_t commandCursor = 0;
    std::int16_t abilityCursor = 0;
    std::int16_t itemCursor = 0;
};

struct EffectSlot {
    std::int16_t turnsLeft = -1;  // -1 when free
    std::int16_t row = 0;
};

// Slots by timed effect (core/item_table.h), each effect's own in the order
// it took them.
struct ItemEffectState {
    EffectSlot slots[kTimedEffects][kRunningEffects];
    std::int16_t rowInUse[kRunningEffects] = {};
    std::int16_t activeEffects = 0;
};

// The battle's generator; nothing else draws from it.
struct BattleRandom {
    std::uint32_t state = 0;
};

struct ConsoleState {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t attribute = 7;
    // The last key code read was a prefix (0 or 224): the next is a scan
    // code, never one of the extra keys (0x32 is Alt+M's, not a 2).
    bool afterPrefix = false;
};

// The five-line battle message window; slot 0 is the newest message.
// Slots hold their own copy of the text, so a composed message stays valid
// for as long as the window can draw it.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the check sees the compiler's own loop name
struct MessageWindow {
    std::string history[5] = {" ", " ", " ", " ", " "};
    // How many bytes the newest message's typing takes (0: its own length).
    std::size_t newestPace = 0;
};

// The journey so far, for the field menu and the save. Kept across
// sessions; the time played counts this session from its first clock
// reading, so a replay shows what was shown.
struct Journey {
    std::uint32_t secondsBefore = 0;  // played in earlier sessions
    std::int64_t sessionStart = -1;   // the game's clock when this session began; -1 unknown
    std::uint32_t battlesWon = 0;
    std::uint32_t battlesLost = 0;
    std::uint32_t battlesFled = 0;
    std::uint16_t mapsVisited = 0;  // bit n - 1 for map n
    static_assert(kMaps <= 16, "a bit for every map");
    bool queenSeen = false;
    bool kingSeen = false;
    std::int64_t kingReachedAt = -1;  // seconds played when the hero first stood at the King; -1 not yet
};

// How the player likes to play: from the settings file, the command line or
// the field menu (core/setting_table.h); a replay takes what shapes the game.
enum class MessagePace : std::uint8_t { kWait, kAuto, kInstant };
inline constexpr std::uint8_t kEdition = 2;
// Whether changes made in the menu are written to the settings file, and
// if not, why: the menu says which.
enum class SettingsKept : std::uint8_t { kNotInAReplay, kNotWithoutSaves, kKept };
struct Settings {
    MessagePace pace = MessagePace::kWait;
    bool extraKeys = true;  // h j k l and the keypad's 8 2 4 6 as arrows
    bool consoleLook = false;
    // The original's screens and keys alone: none of the menu, the extra
    // keys, the marks or the journey's lines. In force for the whole game;
    // the settings row changes the next start's.
    bool classic = false;
    bool classicNextStart = false;
    // The game's rules of play as a recording knows them: a replay of one
    // made before edition 2 goes without the item menu's quiet after a use
    // and the journey's end, as it was played.
    std::uint8_t edition = kEdition;
    bool speech = false;  // the lines said through the system's speech service
    SettingsKept kept = SettingsKept::kNotInAReplay;
};

extern HeroStatus hero;
extern EnemyTable enemyTable;
extern AbilityTable abilityTable;
extern WorldGrid worldGrid;
extern WorldInfo worldInfo;
extern FieldEnemyList fieldEnemies;
extern MiniMapText miniMapText;
extern BattleState battle;
extern ItemEffectState itemEffects;
extern BattleRandom battleRandom;
extern HeroStatus heroSnapshot;
extern ConsoleState console;
extern MessageWindow messageWindow;
extern Journey journey;
extern Settings settings;

// Origins of the battle screen; animations move them and leave them at rest.
inline constexpr std::int16_t kBattleLeftRest = 25;
inline constexpr std::int16_t kHeroPanelLeftRest = 1;
extern std::int16_t battleLeft;
extern std::int16_t heroPanelLeft;
extern std::int16_t menuTop;

// Whether the current map's Queen or King mark is on the screen: drawn when
// the hero enters the map (and again after a battle there), never at
// start-up.
extern bool pieceMarkOnScreen;

// What the field's narration last said, so that a step says only what
// changed: what was said of each enemy in reach (0: nothing yet; then that
// it came into reach, or that it is about to reach the hero),
// the way off the map in reach and the sign passed.
struct FieldHeard {
    std::int16_t enemySteps[FieldEnemyList::kCapacity] = {};
    std::int16_t exitWay = -1;  // -1: none in reach
    std::int16_t exitSteps = 0;
    std::int16_t signX = -1, signY = -1;
};
extern FieldHeard fieldHeard;

// The language of the texts drawn, an index into kLanguageCodes
// (core/catalogue.h): 0, the default, is Japanese.
extern std::int16_t language;

// The world number selects the data files; it never changes.
inline constexpr std::int16_t worldNumber = 1;

// Puts every process-wide record back to its start-up value: the game's
// records above, and the world folder, the load log and the save keeping
// (core/world_folder.h, core/load_log.h, core/save_keeping.h) and the
// world's translation (core/world_translation.h). Used once at
// start-up and by every test.
void ResetGameState();

}  // namespace rf
