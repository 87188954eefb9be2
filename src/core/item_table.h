// The items, once: what the menus call them, what each does, how the hero
// file and a save hold it and what the battle says of it. An item's place
// in the table is its one number: its slot in the hero's record, its line
// in the menu, its fields in the hero file, its line in a save.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "text/sj_literal.h"

namespace rf {

enum class ItemEffect {
    kHeal,          // hit points back, at once
    kRaiseAttack,   // for a number of turns
    kRaiseDefence,  // for a number of turns
};

struct ItemInfo {
    std::string_view name;  // the menu's line (code page 932)
    ItemEffect effect;
    std::int16_t amount;        // the hit points healed, or the rise
    std::string_view saveName;  // its save line, and its fields' names in the hero file
    std::string_view used;      // what the battle says after the hero's name (code page 932)
    std::string_view expired;   // what it says when the effect runs out; "" for none
    std::string_view mark;      // the running effect's mark beside the HP gauge; "" for none
};

// The items' names as the game shows them.
namespace item_names {
inline constexpr std::string_view kPotion = "ポーション"_sj;
inline constexpr std::string_view kProtein = "プロテイン"_sj;
inline constexpr std::string_view kBuckler = "バックラー"_sj;
}  // namespace item_names

inline constexpr ItemInfo kItems[] = {
    {item_names::kPotion, ItemEffect::kHeal, 20, "potion", " の体力が 回復しました。"_sj, "", ""},
    {item_names::kProtein, ItemEffect::kRaiseAttack, 5, "protein", " の攻撃力がアップした。"_sj,
     "プロテインの効果が切れました。"_sj, "SA"},
    {item_names::kBuckler, ItemEffect::kRaiseDefence, 5, "buckler", " の防御力がアップした。"_sj,
     "バックラーの効果が切れました。"_sj, "SD"},
};
inline constexpr int kItemKinds = static_cast<int>(std::size(kItems));

// The items the rules name.
enum ItemIndex : int { kPotion = 0, kProtein = 1, kBuckler = 2 };

// How many timed effects may run at once, and so the slots of each stat.
inline constexpr int kRunningEffects = 3;

}  // namespace rf
