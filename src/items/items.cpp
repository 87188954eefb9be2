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

// A timed effect's slots and the stat it raises.
struct TimedEffect {
    EffectSlot (&slots)[kRunningEffects];
    std::int16_t& stat;
};

TimedEffect EffectOf(const ItemInfo& item) {
    if (item.effect == ItemEffect::kRaiseAttack) return {itemEffects.proteinSlots, hero.attack};
    return {itemEffects.bucklerSlots, hero.defence};
}

EffectSlot* FirstSlotWith(EffectSlot (&slots)[kRunningEffects], std::int16_t turnsLeft) {
    for (EffectSlot& slot : slots)
        if (slot.turnsLeft == turnsLeft) return &slot;
    return nullptr;
}

void StartEffect(const ItemInfo& item) {
    const TimedEffect effect = EffectOf(item);
    EffectSlot* slot = FirstSlotWith(effect.slots, -1);
    if (slot == nullptr) return;
    effect.stat = static_cast<std::int16_t>(effect.stat + item.amount);
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

void EndEffect(const ItemInfo& item) {
    const TimedEffect effect = EffectOf(item);
    EffectSlot* slot = FirstSlotWith(effect.slots, 0);
    if (slot == nullptr) return;
    effect.stat = static_cast<std::int16_t>(effect.stat - item.amount);
    slot->turnsLeft = -1;
    itemEffects.rowInUse[slot->row] = 0;
    MoveTo(heroPanelLeft, kEffectTop + slot->row);
    Write("  ");
    slot->row = 0;
    --itemEffects.activeEffects;
}

void AgeEffects(const ItemInfo& item) {
    EffectSlot(&slots)[kRunningEffects] = EffectOf(item).slots;
    for (int i = kRunningEffects - 1; i >= 0; --i) {
        EffectSlot& slot = slots[i];
        if (slot.turnsLeft == -1) continue;
        --slot.turnsLeft;
        DrawEffectGauge(slot.turnsLeft, slot.row);
        if (slot.turnsLeft == 0) {
            EndEffect(item);
            ShowAndWait(Say(*item.expired));
        }
    }
}

}  // namespace

void StartProteinEffect() { StartEffect(kItems[kProtein]); }
void StartBucklerEffect() { StartEffect(kItems[kBuckler]); }
void EndProteinEffect() { EndEffect(kItems[kProtein]); }
void EndBucklerEffect() { EndEffect(kItems[kBuckler]); }
void AgeProteinEffects() { AgeEffects(kItems[kProtein]); }
void AgeBucklerEffects() { AgeEffects(kItems[kBuckler]); }

void AgeItemEffects() {
    AgeProteinEffects();
    AgeBucklerEffects();
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
    StartEffect(item);
    if (EffectSlot* slot = FirstSlotWith(EffectOf(item).slots, kEffectTurns)) DrawEffectGauge(kEffectTurns, slot->row);
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
            if (itemEffects.activeEffects >= kRunningEffects && kItems[s].effect != ItemEffect::kHeal) {
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
        }
    }
}

}  // namespace rf
