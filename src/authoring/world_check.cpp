#include "core/load_log.h"
#include "core/world_manifest.h"
#include "text/escape.h"
#include "authoring/world_check.h"

#include <algorithm>

#include "authoring/reachability.h"
#include "core/data_files.h"
#include "core/world_file.h"
#include "core/world_folder.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"

namespace rf::authoring {
namespace {

std::string Relative(WorldFileId file) { return WorldRelative(WorldFilePath(file)); }

// Where token `index` of a loaded token file stood (1:1 when unknown).
LoadToken TokenAt(const std::string& file, std::size_t index) {
    for (const auto& [name, tokens] : loadLog.tokens)
        if (name == file && index < tokens.size()) return tokens[index];
    return {1, 1};
}

void Say(const std::string& file, LoadToken at, Severity severity, std::string message) {
    loadLog.remarks.push_back({file, at.line, at.column, severity, std::move(message)});
}

std::string Cell(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

bool WallUnder(int map, int x, int y) {
    return GridCell(OriginColumn(map) + x, OriginRow(map) + y) != ' ' ||
           GridCell(OriginColumn(map) + x + 1, OriginRow(map) + y) != ' ';
}

// Runs a loader that may end in the missing-file stop; false when it did.
template <typename F>
bool Survives(F load) {
    try {
        load();
        return true;
    } catch (const headless::ExitCalled&) {
        platform::TakeFarewell();
        return false;
    }
}

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
    const int x = hero.fieldX, y = hero.fieldY;
    ClampHeroCell();
    // The start cell is the last two numbers of the hero file (tokens 20 and 21).
    if (x != hero.fieldX || y != hero.fieldY)
        Say(file, TokenAt(file, x != hero.fieldX ? 20 : 21), Severity::kError,
            "the start cell " + Cell(x, y) + " is outside the map (columns 0 to 58, rows 0 to 19): the game puts the hero at " +
                Cell(hero.fieldX, hero.fieldY));
    else if (worldInfoRead && WallUnder(hero.mapNumber, hero.fieldX, hero.fieldY))
        Say(file, TokenAt(file, 20), Severity::kError,
            "the hero starts on a wall at " + Cell(x, y) + " of map " + std::to_string(hero.mapNumber));
}

void CheckMarks() {
    const std::string file = Relative({WorldFileKind::kWorldInfo});
    struct Mark {
        const char* who;
        const PieceMark& mark;
        std::size_t token;
    } marks[] = {{"the Queen", worldInfo.queenMark, 0}, {"the King", worldInfo.kingMark, 3}};
    for (const Mark& m : marks) {
        if (!IsMapNumber(m.mark.map)) {
            Say(file, TokenAt(file, m.token), Severity::kWarning,
                std::string(m.who) + "'s map " + std::to_string(m.mark.map) + " is not 1 to 9: the mark is never shown");
            continue;
        }
        const bool onField = m.mark.x >= 1 && m.mark.x - 1 <= kLastHeroColumn && m.mark.y >= 1 && m.mark.y <= kMapRows;
        if (!onField)
            Say(file, TokenAt(file, m.token + 1), Severity::kError,
                std::string(m.who) + "'s mark " + Cell(m.mark.x, m.mark.y) +
                    " is outside the field (columns 1 to 59, rows 1 to 20): it is never drawn");
    }
    const OpeningStrip& s = worldInfo.opening;
    if (!IsMapNumber(s.map)) {
        Say(file, TokenAt(file, 6), Severity::kWarning,
            "the strip's map " + std::to_string(s.map) + " is not 1 to 9: no strip ever opens");
        return;
    }
    // What opening the strip frees: the game's own OpenStrip on a copy of the grid.
    const WorldGrid before = worldGrid;
    OpenStrip();
    int freed = 0;
    for (int y = 0; y < WorldGrid::kRows; ++y)
        for (int x = 0; x < WorldGrid::kColumns; ++x) freed += before.cells[y][x] != worldGrid.cells[y][x];
    worldGrid = before;
    std::string when = "when the hero enters map " + std::to_string(worldInfo.queenMark.map);
    if (worldInfo.kingMark.map != worldInfo.queenMark.map && IsMapNumber(worldInfo.kingMark.map))
        when += " or map " + std::to_string(worldInfo.kingMark.map);
    Say(file, TokenAt(file, 6), Severity::kNote,
        "the strip opens rows 1 and 2 of map " + std::to_string(s.map) + ", columns " +
            std::to_string(std::max(1, static_cast<int>(s.x))) + " to " + std::to_string(std::min(60, s.x + 9)) +
            " (" + std::to_string(freed) + " wall cells freed), " + when);
}

void CheckReach(const FieldEnemyList (&lists)[10], const bool (&listRead)[10]) {
    const HeroReach reach = FloodHero();
    for (int m = 1; m <= 9; ++m) {
        const std::string form = Relative({WorldFileKind::kMapForm, m});
        if (reach.cells[m].none()) {
            Say(form, {1, 1}, Severity::kWarning, "the hero can never reach map " + std::to_string(m));
            continue;
        }
        if (!listRead[m]) continue;
        const std::string file = Relative({WorldFileKind::kEnemyList, m});
        for (int i = 0; i < lists[m].count; ++i) {
            const FieldEnemy& e = lists[m].entries[i];
            if (IsEmptyEntry(e)) continue;
            if (!EnemyCanReach(m, e.x, e.y, reach.cells[m]))
                Say(file, TokenAt(file, 1 + 4 * static_cast<std::size_t>(i)), Severity::kWarning,
                    "the enemy at " + Cell(e.x, e.y) + " can never reach the hero");
        }
    }
}

}  // namespace

CheckResult CheckWorld(const std::string& dir) {
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    headless::Reset();
    ResetGameState();
    dataRoot = dir;
    loadLog.enabled = true;

    const bool heroRead = CheckStatusFiles();
    bool formsRead = true;
    for (int n = 1; n <= 9; ++n) {
        if (Survives([n] { LoadMapForm(worldNumber, n); })) continue;
        formsRead = false;
        // The game stops on this map: the checks after it take it as free, reporting nothing more about it.
        for (int y = 0; y < kMapRows; ++y)
            for (int x = 0; x < kMapColumns; ++x) worldGrid.cells[OriginRow(n) + y][OriginColumn(n) + x] = ' ';
    }
    const bool infoRead = Survives([] { LoadWorldInfo(WorldFilePath({WorldFileKind::kWorldInfo})); });
    if (heroRead) CheckHeroStart(infoRead && formsRead);
    if (infoRead) CheckMarks();
    FieldEnemyList lists[10];
    bool listRead[10] = {};
    const std::int16_t start = hero.mapNumber;
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        listRead[m] = Survives([] { LoadMapEnemies(worldNumber); });
        lists[m] = fieldEnemies;
    }
    hero.mapNumber = start;
    Survives([] { LoadMiniMap(worldNumber); });
    if (heroRead && infoRead && formsRead) CheckReach(lists, listRead);

    CheckResult result;
    result.remarks = loadLog.remarks;
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
        (r.severity == Severity::kError ? result.errors : r.severity == Severity::kWarning ? result.warnings : result.notes)++;
    loadLog.enabled = false;
    platform::UseBackend(before);
    return result;
}

std::string FormatCheck(const CheckResult& result, const std::string& dir) {
    std::string out;
    for (const LoadRemark& r : result.remarks) {
        const char* kind = r.severity == Severity::kError ? "error" : r.severity == Severity::kWarning ? "warning" : "note";
        out += Escaped(r.file) + ":" + std::to_string(r.line) + ":" + std::to_string(r.column) + ": " + kind + ": " + r.message + "\n";
    }
    auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    out += (dir.empty() ? std::string(".") : Escaped(dir)) + ": " + count(result.errors, "error") + ", " +
           count(result.warnings, "warning") + ", " + count(result.notes, "note") + "\n";
    return out;
}

}  // namespace rf::authoring
