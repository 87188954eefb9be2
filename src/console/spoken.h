// The game's words for a screen reader beyond its messages: what the field
// shows around the hero, a battle's start, the selected command, target,
// ability or item and what it does, and the level-up rows. The words are
// the catalogue's (po/, the Said... texts) in the game's language; the
// rules compose them and hand them to platform::Narrate. Nothing on the
// screen depends on them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/item_table.h"
#include "core/texts.h"

namespace rf::spoken {

// The four ways, as the arrows are read: up, down, left, right.
inline constexpr TextId kWays[4] = {TextId::kSaidUp, TextId::kSaidDown, TextId::kSaidLeft, TextId::kSaidRight};

// What a choice in the battle's menus does, said as it is selected: the
// four commands in the command boxes' order, then the items by effect.
inline constexpr TextId kWhatItDoes[] = {
    TextId::kSaidFight, TextId::kSaidDefend,       TextId::kSaidItem,          TextId::kSaidFlee,
    TextId::kSaidHeals, TextId::kSaidRaisesAttack, TextId::kSaidRaisesDefence,
};
inline constexpr int kCommandCount = 4;
inline TextId CommandDoes(int command) { return kWhatItDoes[command]; }
inline TextId ItemDoes(ItemEffect effect) { return kWhatItDoes[kCommandCount + static_cast<int>(effect)]; }

// The catalogue's text `id` with its name gaps filled from `names` and its
// number gaps from `numbers`, each in order.
inline std::string Say(TextId id, std::initializer_list<std::string_view> names = {},
                       std::initializer_list<long long> numbers = {}) {
    std::string line;
    const std::string_view* name = names.begin();
    const long long* number = numbers.begin();
    for (char c : Text(id)) {
        if (c == kNameGap && name != names.end()) line += *name++;
        else if (c == kNumberGap && number != numbers.end()) line += std::to_string(*number++);
        else if (c != kNameGap && c != kNumberGap) line += c;
    }
    return line;
}

}  // namespace rf::spoken
