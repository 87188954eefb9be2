// The items, once: what the menus call them, what each does, how the hero
// file and a save hold it and what the battle says of it (the words
// themselves are in the catalogue of texts, po/). An item's place
// in the table is its one number: its slot in the hero's record, its line
// in the menu, its fields in the hero file, its line in a save.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "core/catalogue.h"

namespace rf {

enum class ItemEffect {
    kHeal,          // hit points back, at once
    kRaiseAttack,   // for a number of turns
    kRaiseDefence,  // for a number of turns
};

struct ItemInfo {
    TextId name;  // the menu's line
    ItemEffect effect;
    std::int16_t amount;            // the hit points healed, or the rise
    std::string_view saveName;      // its save line, and its fields' names in the hero file
    TextId used;                    // what the battle says after the hero's name
    std::optional<TextId> expired;  // what it says when the effect runs out
    std::string_view mark;          // the running effect's mark beside the HP gauge; "" for none
};

inline constexpr ItemInfo kItems[] = {
    {TextId::kItemPotion, ItemEffect::kHeal, 20, "potion", TextId::kHeroHealed, std::nullopt, ""},
    {TextId::kItemProtein, ItemEffect::kRaiseAttack, 5, "protein", TextId::kHeroAttackUp, TextId::kProteinWornOff,
     "SA"},
    {TextId::kItemBuckler, ItemEffect::kRaiseDefence, 5, "buckler", TextId::kHeroDefenceUp, TextId::kBucklerWornOff,
     "SD"},
};
inline constexpr int kItemKinds = static_cast<int>(std::size(kItems));

// The items the rules name.
enum ItemIndex : int { kPotion = 0, kProtein = 1, kBuckler = 2 };

// Every item but a heal runs for a number of turns. The timed items, in the
// table's order, are the timed effects: each has its slots in the hero's
// record, its line in a save, and ages in that order.
constexpr bool IsTimed(const ItemInfo& item) { return item.effect != ItemEffect::kHeal; }
inline constexpr int kTimedEffects = [] {
    int n = 0;
    for (const ItemInfo& item : kItems) n += IsTimed(item) ? 1 : 0;
    return n;
}();
// The timed effect of the item at `index`, or -1 for a heal.
constexpr int TimedEffectOf(int index) {
    if (!IsTimed(kItems[index])) return -1;
    int effect = 0;
    for (int k = 0; k < index; ++k) effect += IsTimed(kItems[k]) ? 1 : 0;
    return effect;
}
// The item of timed effect `effect`.
constexpr int ItemOfEffect(int effect) {
    for (int k = 0; k < kItemKinds; ++k)
        if (TimedEffectOf(k) == effect) return k;
    return -1;
}

// How many timed effects may run at once, and so the slots of each effect
// and the rows their marks take.
inline constexpr int kRunningEffects = 3;
// How many agings (two an exchange) a timed effect lasts.
inline constexpr std::int16_t kEffectTurns = 11;

}  // namespace rf
