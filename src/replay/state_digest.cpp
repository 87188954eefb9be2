#include "replay/state_digest.h"

#include <cstring>

#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/save_keeping.h"
#include "platform/model/digest.h"

namespace rf {
namespace {

void AddHero(platform::Digest& d, const HeroStatus& h) {
    d.Add(FixedText(h.name));
    for (std::int64_t v :
         {std::int64_t{h.maxHp}, std::int64_t{h.attack}, std::int64_t{h.defence}, std::int64_t{h.magicAttack},
          std::int64_t{h.magicDefence}, std::int64_t{h.speed}, std::int64_t{h.nextExp}, std::int64_t{h.exp},
          std::int64_t{h.level}, std::int64_t{h.fieldX}, std::int64_t{h.fieldY}, std::int64_t{h.mapNumber},
          std::int64_t{h.hp}, std::int64_t{h.savedAttack}, std::int64_t{h.savedDefence}})
        d.AddNumber(v);
    for (auto r : h.reserved) d.AddNumber(r);
    for (const ItemSlot& s : h.items) d.AddNumber(s.number), d.AddNumber(s.count);
}

}  // namespace

std::string StateDigest() {
    platform::Digest d;
    AddHero(d, hero);
    for (const EnemyStatus& e : enemyTable.kinds) {
        d.Add(FixedText(e.name));
        for (std::int64_t v :
             {e.kind, e.target, e.maxHp, e.attack, e.defence, e.magicAttack, e.magicDefence, e.speed, e.ability})
            d.AddNumber(v);
        for (auto hp : e.hpSlots) d.AddNumber(hp);
    }
    for (const auto& row : worldGrid.cells) d.Add(std::string_view(reinterpret_cast<const char*>(row), sizeof row));
    d.AddNumber(fieldEnemies.count);
    for (const FieldEnemy& e : fieldEnemies.entries)
        d.AddNumber(e.kind), d.AddNumber(e.groupSize), d.AddNumber(e.x), d.AddNumber(e.y);
    d.AddNumber(battle.remaining), d.AddNumber(battle.actionCount), d.AddNumber(battle.defeatedCount),
        d.AddNumber(battle.itemsUsed);
    for (auto f : battle.defeated) d.AddNumber(f);
    d.AddNumber(battle.commandCursor), d.AddNumber(battle.abilityCursor), d.AddNumber(battle.itemCursor);
    for (const auto& slots : itemEffects.slots)
        for (const EffectSlot& s : slots) d.AddNumber(s.turnsLeft), d.AddNumber(s.row);
    for (auto r : itemEffects.rowInUse) d.AddNumber(r);
    d.AddNumber(itemEffects.activeEffects);
    d.AddNumber(battleRandom.state);
    AddHero(d, heroSnapshot);
    d.AddNumber(console.x), d.AddNumber(console.y), d.AddNumber(console.attribute);
    for (const std::string& m : messageWindow.history) d.AddNumber(static_cast<std::int64_t>(m.size())), d.Add(m);
    d.AddNumber(battleLeft), d.AddNumber(heroPanelLeft), d.AddNumber(menuTop);
    d.AddNumber(saveKeeping.queenMarkShown), d.AddNumber(saveKeeping.kingMarkShown);
    return d.Hex();
}

}  // namespace rf
