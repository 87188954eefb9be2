#include "authoring/world_check.h"
#include "core/load_log.h"
#include "core/world_manifest.h"
#include "text/escape.h"

#include <algorithm>

#include "authoring/meant_levels.h"
#include "authoring/reachability.h"
#include "authoring/translation_check.h"
#include "battle/attack.h"
#include "battle/formulas.h"
#include "console/console.h"
#include "core/data_files.h"
#include "core/world_about.h"
#include "core/world_file.h"
#include "core/world_folder.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "items/abilities.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "text/cp932.h"

namespace rf::authoring {
namespace {

std::string Relative(WorldFileId file) { return WorldRelative(WorldFilePath(file)); }

// Where token `index` of a loaded token file stood (1:1 when unknown).
LoadToken TokenAt(const std::string& file, std::size_t index) {
    for (const auto& [name, tokens] : loadLog.tokens)
        if (name == file && index < tokens.size()) return tokens[index];
    return {1, 1};
}

void Say(const std::string& file, LoadToken at, Severity severity, Rule rule, std::string message) {
    // One finding per cause: a value already reported at its place (a number that wrapped, say) is not reported again.
    for (const LoadRemark& r : loadLog.remarks)
        if (r.file == file && r.line == at.line && r.column == at.column && r.severity == Severity::kError) return;
    loadLog.remarks.push_back({file, at.line, at.column, at.byteColumn == 0 ? at.column : at.byteColumn, severity,
                               std::move(message), rule, at.charColumn == 0 ? at.column : at.charColumn});
}

bool WallUnder(int map, int x, int y) { return !StandsFree(map, x, y); }

// Whether reading the file stopped early: what its later fields would say is no finding of its own.
bool Stopped(const std::string& file) {
    return std::find(loadLog.stopped.begin(), loadLog.stopped.end(), file) != loadLog.stopped.end();
}

std::string Utf8(std::string_view cp932) { return Cp932ToUtf8(cp932); }

// Runs `f` with the battle's generator on a fixed seed and puts it back after.
template <typename F>
auto WithBattleRandom(std::uint32_t seed, F f) {
    const BattleRandom saved = battleRandom;
    SeedBattleRandom(seed);
    auto result = f();
    battleRandom = saved;
    return result;
}

// The most damage the game's own formula lets one blow of the kind land on the hero, over many draws.
int MostDamage(const EnemyStatus& e) {
    return WithBattleRandom(1, [&] {
        int most = 0;
        for (int i = 0; i < 64; ++i) most = std::max<int>(most, AtLeastZero(EnemyDamage(hero, e, EnemyAbility(e))));
        return most;
    });
}

bool Fights(int k) { return k < 4; }  // Pawn to Rook; the Queen and the King are only marks

void CheckHeroValues() {
    const std::string file = Relative({WorldFileKind::kHero});
    if (Stopped(file) || hero.name[0] == '\0') return;
    auto at = [&](int field) { return TokenAt(file, static_cast<std::size_t>(field)); };
    auto named = [](int field, long long value) {
        return "the " + std::string(kHeroFields[field]) + " " + std::to_string(value);
    };
    if (hero.maxHp <= 0)
        Say(file, at(kHeroMaxHp), Severity::kError, Rule::kMaxHp,
            named(kHeroMaxHp, hero.maxHp) + ": the hero falls at the first blow that lands");
    // A defence of 0 or less: the game's own damage rule, run for every kind that fights.
    std::string harmless;
    for (int k = 0; k < 4 && hero.defence <= 0; ++k)
        if (enemyTable.kinds[k].name[0] != '\0' && MostDamage(enemyTable.kinds[k]) == 0)
            harmless += (harmless.empty() ? "the " : ", the ") + std::string(kKindNames[k]);
    if (!harmless.empty())
        Say(file, at(kHeroDefence), Severity::kError, Rule::kNoDamage,
            named(kHeroDefence, hero.defence) + " turns every blow of " + harmless +
                " into 0 damage (a blow never heals)");
    const struct {
        int field;
        std::int16_t value;
    } stats[] = {{kHeroAttack, hero.attack},
                 {kHeroDefence, hero.defence},
                 {kHeroMagicAttack, hero.magicAttack},
                 {kHeroMagicDefence, hero.magicDefence},
                 {kHeroSpeed, hero.speed}};
    for (const auto& st : stats)
        if (st.value < 0)
            Say(file, at(st.field), Severity::kWarning, Rule::kNegative,
                named(st.field, st.value) + " is negative: the game computes with it as written");
    // What the first win makes of the file's level and experience, by the game's own level-ups.
    HeroStatus after = hero;
    WithBattleRandom(1, [&] { return GainLevels(after), 0; });
    if (after.level != hero.level) {
        const bool level0 = hero.level <= 0;
        Say(file, at(hero.nextExp == 0 || level0 ? kHeroNextExp : kHeroExp), Severity::kError, Rule::kLevelUpAtOnce,
            named(kHeroExp, hero.exp) + " is not below " + named(kHeroNextExp, hero.nextExp) +
                ": the first win raises the hero at once from level " + std::to_string(hero.level) + " to level " +
                std::to_string(after.level) + " or beyond" +
                (level0 ? " (is the line in the order next level's experience, experience, level?)" : ""));
    } else if (hero.level <= 0) {
        Say(file, at(kHeroLevel), Severity::kWarning, Rule::kLevelBelowOne,
            named(kHeroLevel, hero.level) + " is below 1: the battle shows \"Lv : " + std::to_string(hero.level) +
                "\"");
    }
}

void CheckEnemyValues() {
    for (int k = 0; k < kEnemyKinds; ++k) {
        const EnemyStatus& e = enemyTable.kinds[k];
        const std::string file = Relative({WorldFileKind::kEnemy, k});
        if (e.name[0] == '\0') continue;
        auto at = [&](int field) { return TokenAt(file, static_cast<std::size_t>(field)); };
        // The symbol against the legend and the other kinds: the field draws the file's, the legend its own.
        const std::string_view symbol = e.symbol;
        // A reading that stopped before the symbol leaves it unread, which is no finding of its own.
        if (symbol != kLegendSymbols[k] && !(symbol.empty() && Stopped(file))) {
            std::string also;
            for (int other = 0; other < kEnemyKinds && also.empty(); ++other)
                if (other != k &&
                    (symbol == std::string_view(enemyTable.kinds[other].symbol) || symbol == kLegendSymbols[other]))
                    also = " (the " + std::string(kKindNames[other]) + "'s symbol)";
            Say(file, at(kEnemySymbol), Severity::kWarning, Rule::kSymbol,
                "the symbol " + Utf8(symbol) + also + " is not the legend's " + Utf8(kLegendSymbols[k]) + " for the " +
                    std::string(kKindNames[k]) + ": the field draws " + Utf8(symbol) + ", the legend still says " +
                    Utf8(kLegendSymbols[k]));
        }
        if (!Fights(k) || Stopped(file)) continue;
        auto named = [](int field, long long value) {
            return "the " + std::string(kEnemyFields[field]) + " " + std::to_string(value);
        };
        const int ability = static_cast<int>(&EnemyAbility(e) - abilityTable.abilities);
        if (ability != e.ability)
            Say(file, at(kEnemyAbility), Severity::kError, Rule::kAbilityIndex,
                named(kEnemyAbility, e.ability) + " is not 0 to 4: the game strikes with " +
                    std::string(kAbilityNames[ability]));
        if (e.maxHp <= 0)
            Say(file, at(kEnemyMaxHp), Severity::kError, Rule::kMaxHp,
                named(kEnemyMaxHp, e.maxHp) + ": each of them falls at the first blow that lands");
        const bool harmless = e.attack <= 0 && hero.defence > 0 && MostDamage(e) == 0;
        if (harmless)
            Say(file, at(kEnemyAttack), Severity::kError, Rule::kNoDamage,
                named(kEnemyAttack, e.attack) + ": every blow of the " + std::string(kKindNames[k]) +
                    " does 0 damage (a blow never heals)");
        const struct {
            int field;
            std::int16_t value;
        } stats[] = {{kEnemyAttack, e.attack},
                     {kEnemyDefence, e.defence},
                     {kEnemyMagicAttack, e.magicAttack},
                     {kEnemyMagicDefence, e.magicDefence},
                     {kEnemySpeed, e.speed}};
        for (const auto& st : stats)
            if (st.value < 0 && !(st.field == kEnemyAttack && harmless))
                Say(file, at(st.field), Severity::kWarning, Rule::kNegative,
                    named(st.field, st.value) + " is negative: the game computes with it as written");
    }
}

void CheckAbilityValues() {
    for (int a = 0; a < kAbilities; ++a) {
        const AbilityInfo& ability = abilityTable.abilities[a];
        const std::string file = Relative({WorldFileKind::kAbility, a});
        if (ability.name[0] == '\0' || Stopped(file)) continue;
        const std::string name(kAbilityNames[a]);
        // A blow's damage is attack x power + accuracy over the defence; a hit needs speed x accuracy.
        if (ability.power <= 0)
            Say(file, TokenAt(file, 2), Severity::kError, Rule::kPower,
                "the power " + std::to_string(ability.power) + ": a blow of " + name +
                    " does little or no damage whatever the attack (a blow never heals); power counts from 1, the "
                    "default world uses 2 to 7");
        if (ability.accuracy < 1 || ability.accuracy > 10)
            Say(file, TokenAt(file, 3), Severity::kWarning, Rule::kAccuracy,
                "the accuracy " + std::to_string(ability.accuracy) +
                    (ability.accuracy > 10 ? ": accuracy is a small number, not a percent: it multiplies the "
                                             "striker's speed for a hit and adds to every blow's damage; the "
                                             "default world uses 2 to 4"
                                           : ": the blows of " + name +
                                                 " hardly ever land; accuracy counts from 1, the default world uses "
                                                 "2 to 4"));
    }
}

// A side of a map: the key that steps over it, how the map's number changes
// beyond it, and the edge it meets there.
struct Side {
    int key, delta;
    const char* edge;
    const char* neighbourEdge;
};

constexpr Side kSides[] = {{kKeyRight, 1, "right edge", "left edge"},
                           {kKeyLeft, -1, "left edge", "right edge"},
                           {kKeyDown, kMapsAcross, "bottom row", "top row"},
                           {kKeyUp, -kMapsAcross, "top row", "bottom row"}};

bool Sideways(const Side& side) { return side.key == kKeyLeft || side.key == kKeyRight; }

// The map beyond the side, or none (0) where the world ends.
int Neighbour(int map, const Side& side) {
    const int n = map + side.delta;
    return IsMapNumber(n) && (!Sideways(side) || MapRowOf(n) == MapRowOf(map)) ? n : 0;
}

struct MapCell {
    int x, y;
};

// The cells along a side that the hero can stand on, one per place.
std::vector<MapCell> EdgeCells(const Side& side) {
    std::vector<MapCell> cells;
    if (Sideways(side))
        for (int y = 0; y < kMapRows; ++y) cells.push_back({side.key == kKeyRight ? kRightExitColumn : 0, y});
    else
        for (int x = 0; x < kLastHeroColumn; ++x) cells.push_back({x, side.key == kKeyDown ? kLastHeroRow : 0});
    return cells;
}

// The cells of the side's outermost row or column, as the world grid holds them.
std::vector<MapCell> OuterCells(const Side& side) {
    std::vector<MapCell> cells;
    if (Sideways(side))
        for (int y = 0; y < kMapRows; ++y) cells.push_back({side.key == kKeyLeft ? 0 : kLastHeroColumn, y});
    else
        for (int x = 0; x <= kLastHeroColumn; ++x) cells.push_back({x, side.key == kKeyUp ? 0 : kMapRows - 1});
    return cells;
}

// Where the hero stands in the neighbour after stepping over the side from `from`.
MapCell Landing(const Side& side, MapCell from) {
    return {side.key == kKeyRight  ? 0
            : side.key == kKeyLeft ? kRightExitColumn
                                   : from.x,
            side.key == kKeyDown ? 0
            : side.key == kKeyUp ? kLastHeroRow
                                 : from.y};
}

// Places along an edge, 1-based: "row 3", "columns 4 to 7".
std::string Along(bool sideways, int first, int last) {
    if (first == last) return (sideways ? "row " : "column ") + std::to_string(first);
    return (sideways ? "rows " : "columns ") + std::to_string(first) + " to " + std::to_string(last);
}

// Calls `run(first, last, kind)` for each run of neighbouring places of one kind other than `none`.
template <typename Kind, typename Run>
void ForEachRun(const std::vector<Kind>& kinds, Kind none, Run run) {
    const int places = static_cast<int>(kinds.size());
    for (int p = 0; p < places;) {
        int last = p;
        while (kinds[p] != none && last + 1 < places && kinds[last + 1] == kinds[p]) ++last;
        if (kinds[p] != none) run(p, last, kinds[p]);
        p = last + 1;
    }
}

// Free cells in the world's outer edge: beyond it lies no map, so a gap
// there is a dead end the hero walks into.
void OuterGaps(const WorldGrid& grid, int m, const Side& side) {
    const std::vector<MapCell> cells = OuterCells(side);
    const char* beyond = side.key == kKeyUp     ? "above"
                         : side.key == kKeyDown ? "below"
                         : side.key == kKeyLeft ? "left of"
                                                : "right of";
    std::vector<bool> free;
    free.reserve(cells.size());
    for (const MapCell& c : cells) free.push_back(grid.cells[OriginRow(m) + c.y][OriginColumn(m) + c.x] == ' ');
    ForEachRun(free, false, [&](int first, int last, bool) {
        Say(Relative({WorldFileKind::kMapForm, m}),
            MapCellSource(WorldFilePath({WorldFileKind::kMapForm, m}), cells[first].x, cells[first].y),
            Severity::kWarning, Rule::kOuterGap,
            "the gap in the " + std::string(side.edge) + " at " + Along(Sideways(side), first + 1, last + 1) +
                " is on the world's outer edge: no map lies " + beyond + " map " + std::to_string(m) +
                ", so the hero walks into it and stands there; close it with a wall");
    });
}

// Whether a step over the side from `from`, stopped short of leaving, leaves once the neighbour's cells
// that touch it are freed: then only the neighbour's wall stands in the way.
bool LeavesThroughFreedNeighbour(int m, const Side& side, MapCell from) {
    const WorldGrid before = worldGrid;
    const bool sideways = Sideways(side);
    // Sideways the step touches the one cell beyond; up or down, the two beyond the hero's two cells.
    const int gx = OriginColumn(m) + (sideways ? (side.key == kKeyRight ? kMapColumns : -1) : from.x);
    const int gy = OriginRow(m) + (sideways ? from.y : (side.key == kKeyDown ? kMapRows : -1));
    for (int c = 0; c < (sideways ? 1 : 2); ++c)
        if (gx + c >= 0 && gx + c < WorldGrid::kColumns && gy >= 0 && gy < WorldGrid::kRows)
            worldGrid.cells[gy][gx + c] = ' ';
    int at = from.x;
    int freed = TestStep(side.key, at, from.y);
    // A short step first (toward the right edge) still leads out.
    if (freed == kStepShort && side.key == kKeyRight) freed = TestStep(side.key, ++at, from.y);
    worldGrid = before;
    return freed == kStepLeavesMap;
}

// What the neighbour makes of a gap in the edge at `from`, with the hero on map m.
enum class GapKind { kNone, kBlockedByNeighbour, kIntoNeighboursWall };

GapKind GapAt(int m, int n, const Side& side, MapCell from) {
    if (WallUnder(m, from.x, from.y)) return GapKind::kNone;
    const int step = TestStep(side.key, from.x, from.y);
    if (step == kStepLeavesMap) {
        const MapCell landing = Landing(side, from);
        return WallUnder(n, landing.x, landing.y) ? GapKind::kIntoNeighboursWall : GapKind::kNone;
    }
    if (step != kStepFull && LeavesThroughFreedNeighbour(m, side, from)) return GapKind::kBlockedByNeighbour;
    return GapKind::kNone;
}

// The gaps of map m's side that meet the wall of its neighbour n.
void GapsAgainstNeighbour(int m, int n, const Side& side) {
    const std::vector<MapCell> cells = EdgeCells(side);
    std::vector<GapKind> kinds;
    kinds.reserve(cells.size());
    for (const MapCell& c : cells) kinds.push_back(GapAt(m, n, side, c));
    ForEachRun(kinds, GapKind::kNone, [&](int first, int last, GapKind kind) {
        // The hero is two cells wide: a run along a row covers one column more.
        const std::string along = Sideways(side) ? Along(true, first + 1, last + 1) : Along(false, first + 1, last + 2);
        Say(Relative({WorldFileKind::kMapForm, m}),
            MapCellSource(WorldFilePath({WorldFileKind::kMapForm, m}), cells[first].x, cells[first].y),
            Severity::kWarning, Rule::kGap,
            "the gap in the " + std::string(side.edge) + " at " + along + " meets the wall of map " +
                std::to_string(n) + "'s " + side.neighbourEdge + ": " +
                (kind == GapKind::kBlockedByNeighbour ? "the hero stands in it and cannot pass"
                                                      : "the hero passes into the wall"));
    });
}

// Gaps in a map's edge that lead nowhere: the game's own step test from
// every edge cell, against the neighbour as loaded and with its touching
// cells freed; and passages that land the hero inside the neighbour's wall.
// With the strip open: a gap that it opens later is no mistake.
void CheckGaps() {
    const WorldGrid closed = worldGrid;
    if (IsMapNumber(worldInfo.opening.map)) OpenStrip();
    const std::int16_t savedMap = hero.mapNumber;
    for (int m = 1; m <= kMaps; ++m) {
        // The step test reads the map the hero is on.
        hero.mapNumber = static_cast<std::int16_t>(m);
        for (const Side& side : kSides) {
            const int n = Neighbour(m, side);
            if (n == 0) OuterGaps(closed, m, side);
            else GapsAgainstNeighbour(m, n, side);
        }
    }
    hero.mapNumber = savedMap;
    worldGrid = closed;
}

std::string Cell(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// False when the hero file could not be read.
bool CheckStatusFiles() {
    const bool heroRead = LoadHeroStatus() == 1;
    // The game stops at the first kind or ability it cannot read; the files
    // after it are checked all the same, into records of their own.
    if (!LoadAllEnemyStatus())
        for (int k = 0; k < kEnemyKinds; ++k)
            if (enemyTable.kinds[k].name[0] == '\0') {
                for (int later = k + 1; later < kEnemyKinds; ++later) {
                    EnemyStatus scratch;
                    LoadEnemyStatus(scratch, WorldFilePath({WorldFileKind::kEnemy, later}));
                }
                break;
            }
    if (!LoadAllAbilities())
        for (int a = 0; a < kAbilities; ++a)
            if (abilityTable.abilities[a].name[0] == '\0') {
                for (int later = a + 1; later < kAbilities; ++later) {
                    AbilityInfo scratch;
                    LoadAbilityInfo(scratch, WorldFilePath({WorldFileKind::kAbility, later}));
                }
                break;
            }
    return heroRead;
}

void CheckHeroStart(bool worldInfoRead) {
    const std::string file = Relative({WorldFileKind::kHero});
    if (Stopped(file)) return;
    const int x = hero.fieldX, y = hero.fieldY;
    ClampHeroCell();
    // The start cell is the last two numbers of the hero file.
    if (x != hero.fieldX || y != hero.fieldY)
        Say(file, TokenAt(file, x != hero.fieldX ? kHeroStartColumn : kHeroStartRow), Severity::kError,
            Rule::kCellOffMap,
            "the start cell " + Cell(x, y) + " is outside the map (" + HeroCellsText() +
                "): the game puts the hero at " + Cell(hero.fieldX, hero.fieldY));
    else if (worldInfoRead && WallUnder(hero.mapNumber, hero.fieldX, hero.fieldY))
        Say(file, TokenAt(file, kHeroStartColumn), Severity::kError, Rule::kOnWall,
            "the hero starts on a wall at " + Cell(x, y) + " of map " + std::to_string(hero.mapNumber));
}

// How many fields of a token file were read: all, or those before the one where reading stopped.
std::size_t FieldsRead(const std::string& file) {
    if (!Stopped(file)) return static_cast<std::size_t>(-1);
    for (const LoadRemark& r : loadLog.remarks) {
        if (r.file != file || (r.rule != Rule::kNumberExpected && r.rule != Rule::kFileEnds)) continue;
        std::size_t before = 0;
        for (const auto& [name, tokens] : loadLog.tokens)
            if (name == file)
                for (const LoadToken& t : tokens)
                    before += t.line < r.line || (t.line == r.line && t.column < r.column);
        return before;
    }
    return 0;
}

void CheckMarks() {
    const std::string file = Relative({WorldFileKind::kWorldInfo});
    // Fields never read are no finding of their own.
    const std::size_t read = FieldsRead(file);
    struct Mark {
        const char* who;
        const PieceMark& mark;
        std::size_t token;
    } marks[] = {{"the Queen", worldInfo.queenMark, 0}, {"the King", worldInfo.kingMark, 3}};
    for (const Mark& m : marks) {
        if (m.token + 2 >= read) continue;
        if (!IsMapNumber(m.mark.map)) {
            Say(file, TokenAt(file, m.token), Severity::kWarning, Rule::kMarkMap,
                std::string(m.who) + "'s map " + std::to_string(m.mark.map) + " is not " + MapNumbersText() +
                    ": the mark is never shown");
            continue;
        }
        // Column 60 is the field's last, where the mark's second cell is the blank beside it.
        const bool onField = m.mark.x >= 1 && m.mark.x <= kMapColumns && m.mark.y >= 1 && m.mark.y <= kMapRows;
        if (!onField)
            Say(file, TokenAt(file, m.token + (m.mark.x >= 1 && m.mark.x <= kMapColumns ? 2 : 1)), Severity::kError,
                Rule::kMarkOffField,
                std::string(m.who) + "'s mark " + Cell(m.mark.x, m.mark.y) + " is outside the field (columns 1 to " +
                    std::to_string(kMapColumns) + ", rows 1 to " + std::to_string(kMapRows) +
                    ", counted from 1): it is never drawn");
    }
    if (read > 3 && worldInfo.kingMark.map == worldInfo.queenMark.map && IsMapNumber(worldInfo.kingMark.map))
        Say(file, TokenAt(file, 3), Severity::kWarning, Rule::kMarksShareMap,
            "the King's map " + std::to_string(worldInfo.kingMark.map) +
                " is the Queen's too: only the Queen is drawn there, the King's mark never; give the King a map of "
                "his own");
    const OpeningStrip& s = worldInfo.opening;
    if (read <= 7) return;
    if (!IsMapNumber(s.map)) {
        Say(file, TokenAt(file, 6), Severity::kWarning, Rule::kStripMap,
            "the strip's map " + std::to_string(s.map) + " is not " + MapNumbersText() + ": no strip ever opens");
        return;
    }
    // What opening the strip frees: the game's own OpenStrip on a copy of the grid.
    const WorldGrid before = worldGrid;
    OpenStrip();
    int freed = 0;
    for (int y = 0; y < WorldGrid::kRows; ++y)
        for (int x = 0; x < WorldGrid::kColumns; ++x) freed += before.cells[y][x] != worldGrid.cells[y][x];
    worldGrid = before;
    // The strip is ten cells from column x (counted from 1) of the map's top two rows.
    if (s.x < 1 || s.x > kMapColumns - 9)
        Say(file, TokenAt(file, 7), Severity::kWarning, Rule::kStripColumn,
            "the strip's column " + std::to_string(s.x) + (s.x < -8 || s.x > kMapColumns ? " lies off" : " runs off") +
                " map " + std::to_string(s.map) + ": its ten cells start at a column from 1 to " +
                std::to_string(kMapColumns - 9) + ", counted from 1");
    else if (freed == 0)
        Say(file, TokenAt(file, 7), Severity::kWarning, Rule::kStripColumn,
            "the strip at column " + std::to_string(s.x) + " of map " + std::to_string(s.map) +
                " frees no wall cell: rows 1 and 2 there are free already, so it opens nothing");
    if (MapRowOf(s.map) == 0)
        Say(file, TokenAt(file, 6), Severity::kWarning, Rule::kStripOnTopRow,
            "the strip's map " + std::to_string(s.map) +
                " is in the top row: the strip opens its rows 1 and 2 against the world's edge, where no map lies "
                "above; put it on a map of a lower row (" +
                std::to_string(kMapsAcross + 1) + " to " + std::to_string(kMaps) + ")");
    std::string when = "when the hero enters map " + std::to_string(worldInfo.queenMark.map);
    if (worldInfo.kingMark.map != worldInfo.queenMark.map && IsMapNumber(worldInfo.kingMark.map))
        when += " or map " + std::to_string(worldInfo.kingMark.map);
    Say(file, TokenAt(file, 6), Severity::kNote, Rule::kStrip,
        "the strip opens rows 1 and 2 of map " + std::to_string(s.map) + ", columns " +
            std::to_string(std::max(1, static_cast<int>(s.x))) + " to " +
            std::to_string(std::min(kMapColumns, s.x + 9)) + " (" + std::to_string(freed) + " wall cells freed), " +
            when);
}

void CheckReach(const FieldEnemyList (&lists)[kMaps + 1], const bool (&listRead)[kMaps + 1]) {
    const HeroReach reach = FloodHero();
    for (int m = 1; m <= kMaps; ++m) {
        const std::string form = Relative({WorldFileKind::kMapForm, m});
        if (reach.cells[m].none()) {
            Say(form, {1, 1}, Severity::kWarning, Rule::kUnreachableMap,
                "the hero can never reach map " + std::to_string(m));
            continue;
        }
        if (!listRead[m]) continue;
        const std::string file = Relative({WorldFileKind::kEnemyList, m});
        for (int i = 0; i < lists[m].count; ++i) {
            const FieldEnemy& e = lists[m].entries[i];
            if (IsEmptyEntry(e)) continue;
            if (!EnemyCanReach(m, e.x, e.y, reach.cells[m]))
                Say(file, TokenAt(file, 1 + 4 * static_cast<std::size_t>(i)), Severity::kWarning,
                    Rule::kUnreachableEnemy, "the enemy at " + Cell(e.x, e.y) + " can never reach the hero");
        }
    }
}

// What the world file says of the world, as a note on its first line.
void SayWorldAbout() {
    const WorldAbout& w = worldAbout;
    if (!w.present || w.name.empty()) return;
    std::string said = "the world calls itself " + Utf8(w.name);
    for (const WorldAbout::Translated& t : w.translated)
        if (t.key == "name") said += " (" + t.language + ": " + Utf8(t.text) + ")";
    if (!w.version.empty()) said += ", version " + Utf8(w.version);
    said += w.author.empty() ? ", by nobody named" : ", by " + Utf8(w.author);
    said += w.licence.empty() ? ", under no licence named" : ", under " + Utf8(w.licence);
    if (!w.description.empty()) said += ": " + Utf8(w.description);
    Say(std::string(kWorldAboutFile), {1, 1, 1, 1}, Severity::kNote, Rule::kWorldFile, said);
}

// world.txt's levels: a warning where they go wrong, a note when it gives none.
void SayMeantLevels() {
    if (!worldAbout.present) return;
    const MeantLevels meant = ReadMeantLevels();
    if (meant.why.empty()) return;
    // Read again only to place the finding; what the reading itself says was said.
    loadLog.enabled = false;
    const WorldFile file = ReadWorldFile(DataPath(kWorldAboutFile), kWorldAboutBytes);
    loadLog.enabled = true;
    if (!meant.given)
        Remark(file, 0, Severity::kNote, Rule::kMeantLevels,
               "the world file gives no levels: ranks balance measures each map at the lowest level that wins it "
               "(write \"levels:\" and the level each map is meant for, map 1 first)");
    else
        Remark(file, meant.at, Severity::kWarning, Rule::kMeantLevels,
               meant.why + ": ranks balance ignores them and measures each map at the lowest level that wins it");
}

// The mean damage of a blow, the blows that miss counted as 0, over many draws of the game's own formulas.
constexpr int kDraws = 256;

double HeroMeanDamage(const EnemyStatus& enemy) {
    return WithBattleRandom(1, [&] {
        double best = 0;  // the best ability his level unlocks
        for (int a = 0; a < kAbilities; ++a) {
            if (kAbilityUnlockLevels[a] > hero.level) continue;
            const AbilityInfo& ability = abilityTable.abilities[a];
            double sum = 0;
            for (int draw = 0; draw < kDraws; ++draw)
                if (EvadeCheck(enemy.speed, hero.speed, ability.accuracy) == 0)
                    sum += AtLeastZero(HeroDamage(hero, enemy, ability));
            best = std::max(best, sum / kDraws);
        }
        return best;
    });
}

double EnemyMeanDamage(const EnemyStatus& enemy) {
    return WithBattleRandom(1, [&] {
        const AbilityInfo& ability = EnemyAbility(enemy);
        double sum = 0;
        for (int draw = 0; draw < kDraws; ++draw)
            if (EvadeCheck(hero.speed, enemy.speed, ability.accuracy) == 0)
                sum += AtLeastZero(EnemyDamage(hero, enemy, ability));
        return sum / kDraws;
    });
}

// More exchanges than this either way, and a battle is neither won nor lost in any sitting.
constexpr double kEndlessExchanges = 1000;

// Battles that end only in flight: no blow of the hero (with every ability his level unlocks) and none
// of the enemy's lands with damage, by the game's own formulas (balance shows 0% wins, and no losses).
void CheckEndlessBattles(const FieldEnemyList (&lists)[kMaps + 1], const bool (&listRead)[kMaps + 1]) {
    for (int m = 1; m <= kMaps; ++m) {
        if (!listRead[m]) continue;
        const std::string file = Relative({WorldFileKind::kEnemyList, m});
        std::vector<const EnemyStatus*> said;
        for (int i = 0; i < lists[m].count; ++i) {
            const FieldEnemy& e = lists[m].entries[i];
            const EnemyStatus& enemy = EnemyRecordOf(e.kind);
            if (IsEmptyEntry(e) || std::find(said.begin(), said.end(), &enemy) != said.end()) continue;
            const int group = std::clamp(static_cast<int>(e.groupSize), 1, 7);
            const double toWin = group * std::max<int>(enemy.maxHp, 1) / std::max(HeroMeanDamage(enemy), 1e-9);
            const double toLose = std::max<int>(hero.maxHp, 1) / std::max(group * EnemyMeanDamage(enemy), 1e-9);
            if (toWin < kEndlessExchanges || toLose < kEndlessExchanges) continue;
            said.push_back(&enemy);
            const int k = static_cast<int>(&enemy - enemyTable.kinds);
            Say(file, TokenAt(file, 1 + 4 * static_cast<std::size_t>(i)), Severity::kWarning, Rule::kEndlessBattle,
                "a battle against the " + std::string(kKindNames[k]) +
                    " can be neither won nor lost at the hero's level " + std::to_string(hero.level) +
                    ": his blows and theirs, as the game draws them, take more than " +
                    std::to_string(static_cast<int>(kEndlessExchanges)) +
                    " exchanges to end it either way (see the hit points, speeds, attacks and defences of " +
                    Relative({WorldFileKind::kEnemy, k}) + " and of the hero file); it ends only in flight");
        }
    }
}

// The load log's remarks as the report gives them: each once, file by file in the order they were read,
// each file from top to bottom, and counted.
CheckResult Collected() {
    CheckResult result;
    // A file in an encoding the game cannot read at all: its first remark says all. Each finding once.
    for (const LoadRemark& r : loadLog.remarks) {
        if (std::any_of(result.remarks.begin(), result.remarks.end(), [&](const LoadRemark& kept) {
                return kept.file == r.file && kept.line == r.line && kept.column == r.column && kept.rule == r.rule &&
                       kept.message == r.message;
            }))
            continue;
        const bool unreadable = std::find(loadLog.unreadableText.begin(), loadLog.unreadableText.end(), r.file) !=
                                loadLog.unreadableText.end();
        if (unreadable && std::any_of(result.remarks.begin(), result.remarks.end(),
                                      [&](const LoadRemark& kept) { return kept.file == r.file; }))
            continue;
        result.remarks.push_back(r);
    }
    // File by file in the order they were read, each from top to bottom.
    std::vector<std::string> order;
    for (const LoadRemark& r : result.remarks)
        if (std::find(order.begin(), order.end(), r.file) == order.end()) order.push_back(r.file);
    auto rank = [&](const LoadRemark& r) { return std::find(order.begin(), order.end(), r.file) - order.begin(); };
    std::stable_sort(result.remarks.begin(), result.remarks.end(), [&](const LoadRemark& a, const LoadRemark& b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    for (const LoadRemark& r : result.remarks)
        (r.severity == Severity::kError     ? result.errors
         : r.severity == Severity::kWarning ? result.warnings
                                            : result.notes)++;
    return result;
}

// What reading the world as the game does left: which files it read (whole), and the maps' enemies.
struct WorldRead {
    bool hero = false, forms = false, info = false, infoWhole = false, startsOnMap = true;
    FieldEnemyList lists[kMaps + 1];
    bool listRead[kMaps + 1] = {};
};

// False when a map form stops the game: the checks after it take that map
// as free, reporting nothing more about it.
bool ReadMapForms() {
    bool formsRead = true;
    for (int n = 1; n <= kMaps; ++n) {
        if (Survives([n] { LoadMapForm(worldNumber, n); })) continue;
        formsRead = false;
        for (int y = 0; y < kMapRows; ++y)
            for (int x = 0; x < kMapColumns; ++x) worldGrid.cells[OriginRow(n) + y][OriginColumn(n) + x] = ' ';
    }
    return formsRead;
}

// The game reads a map's enemy list when the hero enters the map, so that is when a missing one stops it.
void SayWhenListStops(int m, bool startMap) {
    const std::string list = Relative({WorldFileKind::kEnemyList, m});
    for (LoadRemark& r : loadLog.remarks)
        if (r.file == list && r.message.ends_with(": the game stops here"))
            r.message.replace(r.message.size() - 4, 4,
                              startMap ? "at its start (the hero starts on map " + std::to_string(m) + ")"
                                       : "when the hero enters map " + std::to_string(m));
}

void ReadEnemyLists(WorldRead& read) {
    const std::int16_t start = hero.mapNumber;
    for (int m = 1; m <= kMaps; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        read.listRead[m] = Survives([] { LoadMapEnemies(worldNumber); });
        read.lists[m] = fieldEnemies;
        if (!read.listRead[m]) SayWhenListStops(m, m == start && read.startsOnMap);
    }
    hero.mapNumber = start;
}

// Reads the world in the game's order, checking the start and the marks as
// soon as the files they rest on are read.
void ReadWorld(WorldRead& read) {
    read.hero = CheckStatusFiles();
    read.forms = ReadMapForms();
    read.info = Survives([] { LoadWorldInfo(WorldFilePath({WorldFileKind::kWorldInfo})); });
    // A start map outside the world stops the game: what depends on the start is no finding of its own.
    read.startsOnMap = !read.info || IsMapNumber(hero.mapNumber);
    if (!read.startsOnMap) hero.mapNumber = 1;
    if (read.hero && read.startsOnMap) CheckHeroStart(read.info && read.forms);
    if (read.info) CheckMarks();
    ReadEnemyLists(read);
    Survives([] { LoadMiniMap(worldNumber); });
    read.infoWhole = read.info && !Stopped(Relative({WorldFileKind::kWorldInfo}));
}

// The checks of the world as a whole, each where the files it rests on were read whole.
void CheckWholeWorld(const WorldRead& read) {
    if (read.hero) CheckHeroValues();
    CheckEnemyValues();
    CheckAbilityValues();
    if (read.forms && read.infoWhole) CheckGaps();
    const bool heroWhole = read.hero && !Stopped(Relative({WorldFileKind::kHero}));
    if (heroWhole && read.infoWhole && read.forms && read.startsOnMap) CheckReach(read.lists, read.listRead);
    if (heroWhole) CheckEndlessBattles(read.lists, read.listRead);
}

}  // namespace

CheckResult CheckWorld(const std::string& dir, const std::vector<HeldFile>& unsaved) {
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    headless::Reset();
    ResetGameState();
    dataRoot = dir;
    loadLog.enabled = true;
    HoldWorldFiles(unsaved);

    WorldRead read;
    ReadWorld(read);
    CheckWholeWorld(read);
    LoadWorldAbout();
    SayWorldAbout();
    SayMeantLevels();
    CheckTranslations();

    CheckResult result = Collected();
    HoldWorldFiles({});
    loadLog.enabled = false;
    platform::UseBackend(before);
    return result;
}

std::string ShowMap(int map) {
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    loadLog.enabled = false;
    const HeroReach reach = FloodHero();
    const std::int16_t start = hero.mapNumber;
    hero.mapNumber = static_cast<std::int16_t>(map);
    const bool listRead = Survives([] { LoadMapEnemies(worldNumber); });
    // Each row as code page 932 bytes, one byte a cell: free cells the hero reaches become '.'.
    std::string rows[kMapRows];
    for (int y = 0; y < kMapRows; ++y)
        for (int x = 0; x < kMapColumns; ++x) {
            auto c = static_cast<char>(GridCell(OriginColumn(map) + x, OriginRow(map) + y));
            const bool reached = (x <= kLastHeroColumn && reach.cells[map][CellIndex(x, y)]) ||
                                 (x >= 1 && reach.cells[map][CellIndex(x - 1, y)]);
            if (c == ' ' && reached) c = '.';
            // A control character is a wall the terminal cannot draw: shown as '?'.
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
            rows[y] += c;
        }
    auto put = [&](std::string_view symbol, int x, int y) {
        if (y < 0 || y >= kMapRows || x < 0 || x >= kMapColumns) return;
        rows[y].replace(static_cast<std::size_t>(x),
                        std::min(symbol.size(), rows[y].size() - static_cast<std::size_t>(x)), symbol);
    };
    for (int i = 0; listRead && i < fieldEnemies.count; ++i)
        if (!IsEmptyEntry(fieldEnemies.entries[i]))
            put(EnemySymbolOf(fieldEnemies.entries[i].kind), fieldEnemies.entries[i].x, fieldEnemies.entries[i].y);
    if (worldInfo.queenMark.map == map)
        put(kLegendSymbols[kQueen - 1], worldInfo.queenMark.x - 1, worldInfo.queenMark.y - 1);
    if (worldInfo.kingMark.map == map)
        put(kLegendSymbols[kKing - 1], worldInfo.kingMark.x - 1, worldInfo.kingMark.y - 1);
    // The frame: where a step over the edge leads into the neighbour (^ v < >).
    std::string top(kMapColumns, '-'), bottom(kMapColumns, '-');
    std::string left(kMapRows, '|'), right(kMapRows, '|');
    for (int x = 0; x <= kLastHeroColumn; ++x) {
        // Where the hero can stand on the edge and the step leaves the map.
        auto leaves = [&](int key, int cx, int cy) {
            return !WallUnder(map, cx, cy) && TestStep(key, cx, cy) == kStepLeavesMap;
        };
        if (IsMapNumber(map - 3) && leaves(kKeyUp, x, 0)) top[x] = top[x + 1] = '^';
        if (IsMapNumber(map + 3) && leaves(kKeyDown, x, kLastHeroRow)) bottom[x] = bottom[x + 1] = 'v';
        if (x == 0)
            for (int y = 0; y < kMapRows; ++y) {
                if (MapColumnOf(map) > 0 && leaves(kKeyLeft, 0, y)) left[y] = '<';
                if (MapColumnOf(map) < 2 && leaves(kKeyRight, kRightExitColumn, y)) right[y] = '>';
            }
    }
    hero.mapNumber = start;
    platform::UseBackend(before);
    std::string out =
        "Map " + std::to_string(map) + " as the game reads it (" + Relative({WorldFileKind::kMapForm, map}) +
        "): . a free cell the hero can reach from the start, a blank one he cannot, ? a control character;\n"
        "the enemies and the piece marks where they stand; ^ v < > the passages to the next maps.\n";
    if (!listRead) out += "(its enemy list is missing: the game stops on entering this map)\n";
    out += "    " + std::string("0         1         2         3         4         5         ").substr(0, kMapColumns) +
           "\n";
    out += "    " +
           std::string("0123456789012345678901234567890123456789012345678901234567890").substr(0, kMapColumns) + "\n";
    out += "   +" + top + "+\n";
    for (int y = 0; y < kMapRows; ++y) {
        const std::string number = std::to_string(y);
        out += std::string(2 - number.size(), ' ') + number + " " + left[y] + Cp932ToUtf8(rows[y]) + right[y] + "\n";
    }
    out += "   +" + bottom + "+\n";
    return out;
}

namespace {

const char* SeverityName(Severity s) {
    return s == Severity::kError ? "error" : s == Severity::kWarning ? "warning" : "note";
}

std::string Counts(const CheckResult& result) {
    return "\"errors\": " + std::to_string(result.errors) + ", \"warnings\": " + std::to_string(result.warnings) +
           ", \"notes\": " + std::to_string(result.notes);
}

// Where the game's authors' tools are described.
constexpr std::string_view kInformationUri = "https://ranks-and-files.invalid/docs/worlds.md";

// The world folder as a file URI ending in '/', the base of every result's path.
std::string WorldUri(const std::string& dir) {
    std::string path = UriPath(platform::FullPath(dir.empty() ? "." : dir));
    if (!path.starts_with('/')) path = "/" + path;
    return "file://" + path + (path.ends_with('/') ? "" : "/");
}

// The SARIF 2.1.0 log: one run, the rules as the tool's, each finding a result at its region, its path
// relative to the world (WORLD); with no world, a run whose invocation failed, saying why.
std::string Sarif(const CheckResult* result, const std::string& dir, bool notes, std::string_view version,
                  const std::string& failure = "") {
    std::string rules, results;
    for (const RuleInfo& r : kRules)
        rules += std::string(rules.empty() ? "" : ",") + "\n        {\"id\": " + JsonString(r.code) +
                 ", \"shortDescription\": {\"text\": " + JsonString(r.summary) + "}}";
    for (const LoadRemark& r : result != nullptr ? result->remarks : std::vector<LoadRemark>{}) {
        if (r.severity == Severity::kNote && !notes) continue;
        const auto index = std::find_if(std::begin(kRules), std::end(kRules),
                                        [&](const RuleInfo& info) { return info.rule == r.rule; }) -
                           std::begin(kRules);
        results += std::string(results.empty() ? "" : ",") + "\n      {\"ruleId\": " + JsonString(RuleCode(r.rule)) +
                   ", \"ruleIndex\": " + std::to_string(index) + ", \"level\": \"" + SeverityName(r.severity) +
                   "\", \"message\": {\"text\": " + JsonString(r.message) +
                   "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": " +
                   JsonString(UriPath(r.file)) +
                   ", \"uriBaseId\": \"WORLD\"}, \"region\": {\"startLine\": " + std::to_string(r.line) +
                   ", \"startColumn\": " + std::to_string(r.charColumn) + "}}}]}";
    }
    const std::string invocation =
        failure.empty() ? "{\"executionSuccessful\": true}"
                        : "{\"executionSuccessful\": false, \"toolExecutionNotifications\": [{\"level\": \"error\", "
                          "\"message\": {\"text\": " +
                              JsonString(failure) + "}}]}";
    return "{\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\", \"version\": \"2.1.0\", \"runs\": [{\n"
           "  \"tool\": {\"driver\": {\"name\": \"ranks check\", \"version\": " +
           JsonString(version) + ", \"informationUri\": " + JsonString(kInformationUri) + ", \"rules\": [" + rules +
           "]}},\n"
           "  \"invocations\": [" +
           invocation +
           "],\n"
           "  \"originalUriBaseIds\": {\"WORLD\": {\"uri\": " +
           JsonString(WorldUri(dir)) +
           "}},\n"
           "  \"columnKind\": \"unicodeCodePoints\",\n"
           "  \"results\": [" +
           results + "]}]}\n";
}

}  // namespace

std::string FormatCheck(const CheckResult& result, const std::string& dir, ReportFormat format, bool notes,
                        const std::string& found, std::string_view version) {
    const std::string prefix =
        dir.empty() || dir.ends_with('/') || dir.back() == platform::PathSeparator() ? dir : dir + "/";
    const std::string shown = dir.empty() ? std::string(".") : dir;
    if (format == ReportFormat::kSarif) return Sarif(&result, dir, notes, version);
    std::string out;
    for (const LoadRemark& r : result.remarks) {
        if (r.severity == Severity::kNote && !notes) continue;
        if (format == ReportFormat::kJson)
            out += std::string(out.empty() ? "" : ",") + "\n  {\"file\": " + JsonString(prefix + r.file) +
                   ", \"line\": " + std::to_string(r.line) + ", \"column\": " + std::to_string(r.charColumn) +
                   ", \"cell\": " + std::to_string(r.column) + ", \"byte\": " + std::to_string(r.byteColumn) +
                   ", \"severity\": \"" + SeverityName(r.severity) + "\", \"rule\": " + JsonString(RuleCode(r.rule)) +
                   ", \"message\": " + JsonString(r.message) + "}";
        else
            out += Escaped(prefix + r.file) + ":" + std::to_string(r.line) + ":" + std::to_string(r.column) + ": " +
                   SeverityName(r.severity) + ": " + r.message + "\n";
    }
    if (format == ReportFormat::kJson)
        return "{\"findings\": [" + out + (out.empty() ? "" : "\n") +
               "], \"summary\": {\"world\": " + JsonString(shown) + ", " + Counts(result) + "}}\n";
    auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    if (!found.empty()) out = "ranks check: checking " + Escaped(shown) + " (" + found + ")\n" + out;
    out += Escaped(shown) + ": " + count(result.errors, "error") + ", " + count(result.warnings, "warning") + ", " +
           count(result.notes, "note") + (result.notes > 0 && !notes ? " (--notes lists them)" : "") + "\n";
    return out;
}

std::string FormatNoWorld(const std::string& problem, const std::string& dir, ReportFormat format,
                          std::string_view version) {
    if (format == ReportFormat::kSarif) return Sarif(nullptr, dir, false, version, problem);
    if (format == ReportFormat::kJson)
        return "{\"findings\": [], \"error\": " + JsonString(problem) +
               ", \"summary\": {\"world\": " + JsonString(dir.empty() ? "." : dir) + ", " + Counts({}) + "}}\n";
    return "";
}

}  // namespace rf::authoring
