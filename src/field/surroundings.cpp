// The field in words, for a screen reader and speech: where the hero is,
// how far he can walk each way, what the map's signs say and where its
// enemies stand; after a step, only what changed and matters.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/map_geometry.h"
#include "core/texts.h"
#include "core/world_translation.h"
#include "field/field_menu.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "platform/narration.h"
#include "text/cp932.h"

namespace rf {
namespace {

using spoken::Say;

constexpr int kWayKeys[4] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
// Within this many steps a way off the map is said, and an enemy coming
// nearer.
constexpr int kExitReach = 6;
constexpr int kEnemyReach = 8;
// What was last said of an enemy in reach (0: nothing yet).
constexpr std::int16_t kHeardInReach = 1;
constexpr std::int16_t kHeardClose = 2;

// "上に3歩で壁", "右は壁", "下に5歩で次のマップ".
std::string Way(int way) {
    const std::string_view name = Text(spoken::kWays[way]);
    int x = hero.fieldX;
    int y = hero.fieldY;
    int steps = 0;
    for (int r; (r = TestStep(kWayKeys[way], x, y)) != kStepBlocked; ++steps) {
        if (r == kStepLeavesMap) return Say(TextId::kSaidWayToExit, {name}, {steps + 1});
        const int across = r == kStepShort ? 1 : 2;
        if (way == 0) --y;
        if (way == 1) ++y;
        if (way == 2) x -= across;
        if (way == 3) x += across;
    }
    if (steps == 0) return Say(TextId::kSaidWayWall, {name});
    return Say(TextId::kSaidWayToWall, {name}, {steps});
}

// Where cell (x, y) is from the hero, in rows and steps of two columns:
// "下に2、右に3", or "すぐそば" on his own cell. No stop after it.
std::string Place(int x, int y) {
    const int dx = (x - hero.fieldX) / 2;
    const int dy = y - hero.fieldY;
    std::string said;
    if (dx == 0 && dy == 0) said += Text(TextId::kSaidEnemyHere);
    if (dy != 0) said += Say(TextId::kSaidEnemyWay, {Text(spoken::kWays[dy < 0 ? 0 : 1])}, {std::abs(dy)});
    if (dy != 0 && dx != 0) said += Text(TextId::kSaidAnd);
    if (dx != 0) said += Say(TextId::kSaidEnemyWay, {Text(spoken::kWays[dx < 0 ? 2 : 3])}, {std::abs(dx)});
    return said;
}

// Steps from the hero to cell (x, y), walls aside.
int StepsTo(int x, int y) { return (std::abs(x - hero.fieldX) + 1) / 2 + std::abs(y - hero.fieldY); }

// A text of a map's picture as the world's translation has it (padded
// there to the cells it covers), or as it is.
std::string MapText(const std::string& run) {
    for (const TranslatedText& t : worldTranslation.texts) {
        if (t.original != run || !t.context.starts_with("map_form/")) continue;
        const std::size_t end = t.translated.find_last_not_of(' ');
        return t.translated.substr(0, end == std::string::npos ? 0 : end + 1);
    }
    return run;
}

struct Sign {
    int x, y;
    std::string words;
};

// The words written into the map's picture (its runs of double-byte text
// that hold words, not walls drawn with symbols), as the world's
// translation has them, with where each begins.
std::vector<Sign> Signs() {
    std::vector<Sign> signs;
    const int left = OriginColumn(hero.mapNumber);
    const int top = OriginRow(hero.mapNumber);
    for (int y = 0; y < kMapRows; ++y) {
        std::string run;
        int from = 0;
        for (int x = 0; x + 1 < kMapColumns; ++x) {
            const unsigned char c = GridCell(left + x, top + y);
            if (IsLeadByte(c)) {
                if (run.empty()) from = x;
                run += static_cast<char>(c);
                run += static_cast<char>(GridCell(left + x + 1, top + y));
                ++x;
            } else if (!run.empty() && c == ' ' && IsLeadByte(GridCell(left + x + 1, top + y))) {
                run += ' ';  // words apart on one sign
            } else if (!run.empty()) {
                if (IsWords(run)) signs.push_back({from, y, MapText(run)});
                run.clear();
            }
        }
        if (IsWords(run)) signs.push_back({from, y, MapText(run)});
    }
    return signs;
}

std::string EnemyName(const FieldEnemy& e) { return std::string(WorldText(FixedText(EnemyRecordOf(e.kind).name))); }

// "ポーン：右に3、下に2。"
std::string Enemies() {
    std::string said;
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        if (IsEmptyEntry(e)) continue;
        said += Say(TextId::kSaidEnemyAt, {EnemyName(e)}) + Place(e.x, e.y) + std::string(Text(TextId::kSaidStop));
    }
    return said.empty() ? std::string(Text(TextId::kSaidNoEnemies)) : said;
}

// The Queen's or King's mark while it shows, and the strip it opened.
std::string Mark() {
    if (!pieceMarkOnScreen) return "";
    const bool queen = worldInfo.queenMark.map == hero.mapNumber;
    const PieceMark& mark = queen ? worldInfo.queenMark : worldInfo.kingMark;
    std::string said = Say(TextId::kSaidMark, {Text(queen ? TextId::kSaidQueen : TextId::kSaidKing)}) +
                       Place(mark.x - 1, mark.y - 1) + std::string(Text(TextId::kSaidStop));
    if (IsMapNumber(worldInfo.opening.map)) said += Say(TextId::kSaidStrip, {}, {worldInfo.opening.map});
    return said;
}

// Whether an enemy at (x, y) reaches the hero with its next step (a row,
// or two columns).
bool AboutToReach(int x, int y) {
    const int dx = std::abs(x - hero.fieldX);
    const int dy = std::abs(y - hero.fieldY);
    return (dy == 0 && dx <= 3) || (dy == 1 && dx <= 1);
}

// The enemies that came into reach, or are about to reach him, since last
// said: once each, not at every step they make.
std::string Approaches() {
    std::string said;
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        std::int16_t& heard = fieldHeard.enemySteps[i];
        if (IsEmptyEntry(e)) continue;
        const int steps = StepsTo(e.x, e.y);
        const bool close = AboutToReach(e.x, e.y);
        if (steps > kEnemyReach) {
            heard = 0;  // walked off: said again when back
            continue;
        }
        if (heard == kHeardClose && !close) heard = kHeardInReach;  // said again when about to reach
        const std::int16_t now = close ? kHeardClose : kHeardInReach;
        if (heard == now) continue;
        heard = now;
        said += Say(close ? TextId::kSaidEnemyClose : TextId::kSaidEnemyNearer, {EnemyName(e)}) + Place(e.x, e.y) +
                std::string(Text(TextId::kSaidStop));
    }
    return said;
}

// The nearest cell from which a step leaves the map, when it is in reach.
std::string WayOut() {
    int bestWay = -1, bestSteps = kExitReach + 1, bestX = 0, bestY = 0;
    const auto consider = [&](int way, int x, int y) {
        if (!StandsFree(hero.mapNumber, x, y) || TestStep(kWayKeys[way], x, y) != kStepLeavesMap) return;
        const int steps = StepsTo(x, y) + 1;
        if (steps < bestSteps) bestWay = way, bestSteps = steps, bestX = x, bestY = y;
    };
    for (int x = 0; x <= kLastHeroColumn; ++x) consider(0, x, 0), consider(1, x, kLastHeroRow);
    for (int y = 0; y < kMapRows; ++y) consider(2, 0, y), consider(3, kRightExitColumn, y);
    // Said as it comes nearer, not at each step away from it.
    const bool same = bestWay == fieldHeard.exitWay && bestSteps >= fieldHeard.exitSteps;
    fieldHeard.exitWay = static_cast<std::int16_t>(bestWay);
    fieldHeard.exitSteps = static_cast<std::int16_t>(bestSteps);
    if (bestWay < 0 || same) return "";
    return Say(TextId::kSaidExitNear, {Text(spoken::kWays[bestWay])}) + Place(bestX, bestY) +
           std::string(Text(TextId::kSaidStop));
}

// A sign beside the hero's path (the rows next to his, a step either
// side), said once while he passes it.
std::string SignPassed() {
    for (const Sign& s : Signs()) {
        const int right = s.x + static_cast<int>(s.words.size());
        if (std::abs(s.y - hero.fieldY) > 1 || right < hero.fieldX - 2 || s.x > hero.fieldX + 3) continue;
        if (s.x == fieldHeard.signX && s.y == fieldHeard.signY) return "";
        fieldHeard.signX = static_cast<std::int16_t>(s.x);
        fieldHeard.signY = static_cast<std::int16_t>(s.y);
        return Say(TextId::kSaidSign, {s.words});
    }
    fieldHeard.signX = fieldHeard.signY = -1;
    return "";
}

// The walk to each edge's nearest way off the map, by the steps the hero
// can make from where he stands (a breadth-first search of his cells):
// "上のマップ4へ23歩、まず右に4。". A player who cannot see the maze
// needs the way round its walls, not only where its gap is.
std::string Routes() {
    constexpr int kColumns = kLastHeroColumn + 1;
    constexpr int kCells = kColumns * kMapRows;
    constexpr int kAcross[4] = {-kMapsAcross, kMapsAcross, -1, 1};
    std::vector<int> before(kCells, -1);  // the cell each was reached from
    std::vector<int> queue{hero.fieldY * kColumns + hero.fieldX};
    before[queue[0]] = queue[0];
    int exitCell[4] = {-1, -1, -1, -1};
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const int x = queue[next] % kColumns, y = queue[next] / kColumns;
        for (int way = 0; way < 4; ++way) {
            const int r = TestStep(kWayKeys[way], x, y);
            if (r == kStepLeavesMap && exitCell[way] < 0) exitCell[way] = queue[next];
            if (r == kStepBlocked || r == kStepLeavesMap) continue;
            const int across = r == kStepShort ? 1 : 2;
            const int nx = x + (way == 2 ? -across : way == 3 ? across : 0);
            const int ny = y + (way == 0 ? -1 : way == 1 ? 1 : 0);
            if (nx < 0 || nx >= kColumns || ny < 0 || ny >= kMapRows || before[ny * kColumns + nx] >= 0) continue;
            before[ny * kColumns + nx] = queue[next];
            queue.push_back(ny * kColumns + nx);
        }
    }
    std::string said;
    for (int way = 0; way < 4; ++way) {
        const int beyond = hero.mapNumber + kAcross[way];
        const bool sameRow = way < 2 || (beyond - 1) / kMapsAcross == (hero.mapNumber - 1) / kMapsAcross;
        if (exitCell[way] < 0 || !IsMapNumber(beyond) || !sameRow) continue;
        // The path back from the way out, then its first leg from the hero.
        std::vector<int> ways{way};
        for (int cell = exitCell[way]; before[cell] != cell; cell = before[cell]) {
            const int dx = cell % kColumns - before[cell] % kColumns, dy = cell / kColumns - before[cell] / kColumns;
            ways.push_back(dy < 0 ? 0 : dy > 0 ? 1 : dx < 0 ? 2 : 3);
        }
        int leg = 0;
        while (leg < static_cast<int>(ways.size()) && ways[ways.size() - 1 - leg] == ways.back()) ++leg;
        said += Say(TextId::kSaidRoute, {Text(spoken::kWays[way]), Text(spoken::kWays[ways.back()])},
                    {beyond, static_cast<long long>(ways.size()), leg});
    }
    return said;
}

// The whole field in words: map, level and HP, the ways, the signs, the
// mark and the enemies. What a step says next starts from here.
std::string FieldLine() {
    std::string line = Say(TextId::kSaidArrival, {}, {hero.mapNumber, hero.level, hero.maxHp});
    for (int way = 0; way < 4; ++way)
        line += Way(way) + std::string(Text(way < 3 ? TextId::kSaidAnd : TextId::kSaidStop));
    line += Routes();
    for (const Sign& s : Signs()) line += Say(TextId::kSaidSign, {s.words});
    line += Mark();
    line += Enemies();
    for (int i = 0; i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        const bool reach = i < fieldEnemies.count && StepsTo(e.x, e.y) <= kEnemyReach;
        fieldHeard.enemySteps[i] = !reach ? std::int16_t{0} : AboutToReach(e.x, e.y) ? kHeardClose : kHeardInReach;
    }
    WayOut();
    SignPassed();
    return line;
}

}  // namespace

void FocusOnHero() { platform::Focus(hero.fieldX, hero.fieldY); }

// Every battle begins at full HP: that is the hero's HP on the field.
void NarrateField() {
    FocusOnHero();
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    platform::Narrate(FieldLine());
}

void NarrateWhere() {
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    platform::NarrateAgain(Say(TextId::kSaidPlace, {}, {hero.fieldX, hero.fieldY}) + FieldLine());
}

void NarrateBump(int key) {
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    const int way = static_cast<int>(std::find(std::begin(kWayKeys), std::end(kWayKeys), key) - std::begin(kWayKeys));
    if (way < 4)
        platform::NarrateAgain(Say(TextId::kSaidWayWall, {Text(spoken::kWays[way])}) +
                               std::string(Text(TextId::kSaidStop)));
}

void NarrateStep() {
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    const std::string line = WayOut() + SignPassed() + Approaches();
    if (!line.empty()) platform::NarrateAgain(line);
}

void NarrateApproach() {
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    const std::string line = Approaches();
    if (!line.empty()) platform::NarrateAgain(line);
}

}  // namespace rf
