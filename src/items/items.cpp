#include "items/items.h"

#include <cstring>
#include <string_view>

#include "battle/attack.h"
#include "battle/battle_narration.h"
#include "console/compose.h"
#include "console/console.h"
#include "console/message_window.h"
#include "console/status_display.h"
#include "core/fixed_text.h"
#include "core/texts.h"
#include "items/menus.h"

namespace rf {
namespace {

constexpr int kEffectTop = 16;

void ShowAndWait(const Message& message) {
    PushMessage();
    ShowMessageAndWait(message);
}

// The hero's stat a timed effect raises.
std::int16_t* RaisedStat(ItemEffect effect) {
    switch (effect) {
        case ItemEffect::kRaiseAttack: return &hero.attack;
        case ItemEffect::kRaiseDefence: return &hero.defence;
        case ItemEffect::kHeal: break;
    }
    return nullptr;
}

EffectSlot* FirstSlotWith(int effect, std::int16_t turnsLeft) {
    for (EffectSlot& slot : itemEffects.slots[effect])
        if (slot.turnsLeft == turnsLeft) return &slot;
    return nullptr;
}

void StartEffect(int index) {
    const ItemInfo& item = kItems[index];
    EffectSlot* slot = FirstSlotWith(TimedEffectOf(index), -1);
    std::int16_t* stat = RaisedStat(item.effect);
    if (slot == nullptr || stat == nullptr) return;
    *stat = static_cast<std::int16_t>(*stat + item.amount);
    slot->turnsLeft = kEffectTurns;
    std::int16_t row = 0;
    while (row < kRunningEffects - 1 && itemEffects.rowInUse[row] != 0) ++row;
    slot->row = row;
    MoveTo(heroPanelLeft, kEffectTop + row);
    Highlight();
    Write(item.mark);
    SetTextAttribute(kPlain);
    itemEffects.rowInUse[row] = 1;
}

void EndEffect(int index) {
    const ItemInfo& item = kItems[index];
    EffectSlot* slot = FirstSlotWith(TimedEffectOf(index), 0);
    std::int16_t* stat = RaisedStat(item.effect);
    if (slot == nullptr || stat == nullptr) return;
    *stat = static_cast<std::int16_t>(*stat - item.amount);
    slot->turnsLeft = -1;
    itemEffects.rowInUse[slot->row] = 0;
    MoveTo(heroPanelLeft, kEffectTop + slot->row);
    Write("  ");
    slot->row = 0;
    --itemEffects.activeEffects;
}

}  // namespace

void AgeItemEffect(int index) {
    const int effect = TimedEffectOf(index);
    if (effect < 0) return;
    EffectSlot(&slots)[kRunningEffects] = itemEffects.slots[effect];
    for (int i = kRunningEffects - 1; i >= 0; --i) {
        EffectSlot& slot = slots[i];
        if (slot.turnsLeft == -1) continue;
        --slot.turnsLeft;
        DrawEffectGauge(slot.turnsLeft, slot.row);
        if (slot.turnsLeft == 0) {
            EndEffect(index);
            ShowAndWait(Say(*kItems[index].expired));
        }
    }
}

int RunningRise(ItemEffect effect) {
    int rise = 0;
    for (int e = 0; e < kTimedEffects; ++e) {
        const ItemInfo& item = kItems[ItemOfEffect(e)];
        if (item.effect != effect) continue;
        for (const EffectSlot& slot : itemEffects.slots[e])
            if (slot.turnsLeft != -1) rise += item.amount;
    }
    return rise;
}

void AgeItemEffects() {
    for (int e = 0; e < kTimedEffects; ++e) AgeItemEffect(ItemOfEffect(e));
}

void UseItem(int index) {
    if (index < 0 || index >= kItemKinds) return;
    const ItemInfo& item = kItems[index];
    ClearAllMessageLines();
    ++battle.itemsUsed;
    --hero.items[index].count;
    if (item.effect == ItemEffect::kHeal) {
        const std::int16_t before = hero.hp;
        CountUpHp(item.amount);
        const auto healed = static_cast<std::int16_t>(hero.hp - before);
        ShowAndWait(Say(item.used, FixedText(hero.name), healed));
        return;
    }
    ++itemEffects.activeEffects;
    StartEffect(index);
    if (EffectSlot* slot = FirstSlotWith(TimedEffectOf(index), kEffectTurns)) DrawEffectGauge(kEffectTurns, slot->row);
    ShowAndWait(Say(item.used, FixedText(hero.name)));
}

BattleResult ItemCommand(EnemyStatus& enemy) {
    battle.itemCursor = 0;
    OpenItemMenu();
    DrawItemCountLine();
    for (;;) {
        NarrateItem();
        if (!KeyWaiting()) continue;
        int code = ReadKey();
        if (code == kKeyUp) {
            MoveItemSelection(-1);
        } else if (code == kKeyDown) {
            MoveItemSelection(1);
        } else if (code == kKeySpace || code == kKeyLeft) {
            CloseMenu(MenuKind::Item);
            return kContinue;
        } else if (code == kKeyEnter || code == kKeyRight) {
            int s = battle.itemCursor;
            if (s < 0 || s >= kItemKinds) continue;
            // A count below 0 from a broken file counts as none.
            if (hero.items[s].count <= 0) {
                ShowAndWait(Say(TextId::kNoSuchItem));
                continue;
            }
            if (itemEffects.activeEffects >= kRunningEffects && IsTimed(kItems[s])) {
                ShowAndWait(Say(TextId::kThreeItemsAtOnce));
                continue;
            }
            UseItem(s);
            ++battle.actionCount;
            AgeItemEffects();
            Highlight();
            DrawItemCount(s + 1);
            SetTextAttribute(kPlain);
            if (EnemiesTurn(enemy) == kHeroFell) return kHeroFell;
            AgeItemEffects();
            // The keys that got through the messages (a held Enter) were
            // meant for them: the menu takes keys once it stands again.
            if (!settings.classic && settings.edition >= 2) DropKeysUntilQuiet();
        }
    }
}

}  // namespace rf
