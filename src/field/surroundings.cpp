// The field in words, for a screen reader: where the hero is, how far he
// can walk each way, what the map's signs say and where its enemies stand.
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/texts.h"
#include "core/world_translation.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "platform/narration.h"
#include "text/cp932.h"

namespace rf {
namespace {

using spoken::Say;

// "上に3歩で壁", "右は壁", "下に5歩で次のマップ".
std::string Way(int way) {
    constexpr int kKeys[4] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
    const std::string_view name = Text(spoken::kWays[way]);
    int x = hero.fieldX;
    int y = hero.fieldY;
    int steps = 0;
    for (int r; (r = TestStep(kKeys[way], x, y)) != kStepBlocked; ++steps) {
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

// The words written into the map's picture (its runs of double-byte text),
// as the world's translation has them.
std::string Signs() {
    std::string said;
    const int left = OriginColumn(hero.mapNumber);
    const int top = OriginRow(hero.mapNumber);
    const auto sign = [&said](const std::string& run) { said += Say(TextId::kSaidSign, {MapText(run)}); };
    for (int y = 0; y < kMapRows; ++y) {
        std::string run;
        for (int x = 0; x + 1 < kMapColumns; ++x) {
            const unsigned char c = GridCell(left + x, top + y);
            if (IsLeadByte(c)) {
                run += static_cast<char>(c);
                run += static_cast<char>(GridCell(left + x + 1, top + y));
                ++x;
            } else if (!run.empty() && c == ' ' && IsLeadByte(GridCell(left + x + 1, top + y))) {
                run += ' ';  // words apart on one sign
            } else if (!run.empty()) {
                sign(run);
                run.clear();
            }
        }
        if (!run.empty()) sign(run);
    }
    return said;
}

// "ポーン：右に3、下に2。"
std::string Enemies() {
    std::string said;
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        if (IsEmptyEntry(e)) continue;
        said += Say(TextId::kSaidEnemyAt, {WorldText(FixedText(EnemyRecordOf(e.kind).name))});
        const int dx = (e.x - hero.fieldX) / 2;
        const int dy = e.y - hero.fieldY;
        if (dx == 0 && dy == 0) said += Text(TextId::kSaidEnemyHere);
        if (dy != 0) said += Say(TextId::kSaidEnemyWay, {Text(spoken::kWays[dy < 0 ? 0 : 1])}, {std::abs(dy)});
        if (dy != 0 && dx != 0) said += Text(TextId::kSaidAnd);
        if (dx != 0) said += Say(TextId::kSaidEnemyWay, {Text(spoken::kWays[dx < 0 ? 2 : 3])}, {std::abs(dx)});
        said += Text(TextId::kSaidStop);
    }
    return said.empty() ? std::string(Text(TextId::kSaidNoEnemies)) : said;
}

}  // namespace

void FocusOnHero() { platform::Focus(hero.fieldX, hero.fieldY); }

// Every battle begins at full HP: that is the hero's HP on the field.
void NarrateField() {
    FocusOnHero();
    if (!IsMapNumber(hero.mapNumber) || !platform::Narrating()) return;
    std::string line = Say(TextId::kSaidArrival, {}, {hero.mapNumber, hero.level, hero.maxHp});
    for (int way = 0; way < 4; ++way)
        line += Way(way) + std::string(Text(way < 3 ? TextId::kSaidAnd : TextId::kSaidStop));
    line += Signs();
    line += Enemies();
    platform::Narrate(line);
}

}  // namespace rf
