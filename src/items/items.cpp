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

constexpr std::int16_t kEffectTurns = 11;
constexpr std::int16_t kEffectBonus = 5;
constexpr int kEffectTop = 16;

void ShowAndWait(std::string_view text) {
    PushMessage();
    ShowMessageAndWait(text);
}

EffectSlot* FirstSlotWith(EffectSlot (&slots)[3], std::int16_t turnsLeft) {
    for (EffectSlot& slot : slots)
        if (slot.turnsLeft == turnsLeft) return &slot;
    return nullptr;
}

void StartEffect(EffectSlot (&slots)[3], std::int16_t& stat, std::string_view mark) {
    EffectSlot* slot = FirstSlotWith(slots, -1);
    if (slot == nullptr) return;
    stat = static_cast<std::int16_t>(stat + kEffectBonus);
    slot->turnsLeft = kEffectTurns;
    std::int16_t row = 0;
    while (row < 2 && itemEffects.rowInUse[row] != 0) ++row;
    slot->row = row;
    MoveTo(heroPanelLeft, kEffectTop + row);
    Highlight();
    Write(mark);
    SetTextAttribute(kPlain);
    itemEffects.rowInUse[row] = 1;
}

void EndEffect(EffectSlot (&slots)[3], std::int16_t& stat) {
    EffectSlot* slot = FirstSlotWith(slots, 0);
    if (slot == nullptr) return;
    stat = static_cast<std::int16_t>(stat - kEffectBonus);
    slot->turnsLeft = -1;
    itemEffects.rowInUse[slot->row] = 0;
    MoveTo(heroPanelLeft, kEffectTop + slot->row);
    Write("  ");
    slot->row = 0;
    --itemEffects.activeEffects;
}

void AgeEffects(EffectSlot (&slots)[3], void (*end)(), std::string_view expired) {
    for (int i = 2; i >= 0; --i) {
        EffectSlot& slot = slots[i];
        if (slot.turnsLeft == -1) continue;
        --slot.turnsLeft;
        DrawEffectGauge(slot.turnsLeft, slot.row);
        if (slot.turnsLeft == 0) {
            end();
            ShowAndWait(expired);
        }
    }
}

void UseEffectItem(int slotIndex, void (*start)(), EffectSlot (&slots)[3], std::string_view templ) {
    ++itemEffects.activeEffects;
    --hero.items[slotIndex].count;
    start();
    if (EffectSlot* slot = FirstSlotWith(slots, kEffectTurns)) DrawEffectGauge(kEffectTurns, slot->row);
    ShowAndWait(ComposeWithName(templ, FixedText(hero.name)));
}

}  // namespace

void StartProteinEffect() { StartEffect(itemEffects.proteinSlots, hero.attack, "SA"); }
void StartBucklerEffect() { StartEffect(itemEffects.bucklerSlots, hero.defence, "SD"); }
void EndProteinEffect() { EndEffect(itemEffects.proteinSlots, hero.attack); }
void EndBucklerEffect() { EndEffect(itemEffects.bucklerSlots, hero.defence); }

void AgeProteinEffects() { AgeEffects(itemEffects.proteinSlots, EndProteinEffect, Text(TextId::kProteinWornOff)); }
void AgeBucklerEffects() { AgeEffects(itemEffects.bucklerSlots, EndBucklerEffect, Text(TextId::kBucklerWornOff)); }

void AgeItemEffects() {
    AgeProteinEffects();
    AgeBucklerEffects();
}

void UseItem(int kind) {
    if (kind < kItemPotion || kind > kItemBuckler) return;
    ClearAllMessageLines();
    ++battle.itemsUsed;
    if (kind == kItemPotion) {
        --hero.items[kPotion].count;
        std::int16_t before = hero.hp;
        CountUpHp(20);
        auto healed = static_cast<std::int16_t>(hero.hp - before);
        ShowAndWait(ComposeWithNumber(ComposeWithName(Text(TextId::kHeroHealed), FixedText(hero.name)), healed));
    } else if (kind == kItemProtein) {
        UseEffectItem(kProtein, StartProteinEffect, itemEffects.proteinSlots, Text(TextId::kHeroAttackUp));
    } else {
        UseEffectItem(kBuckler, StartBucklerEffect, itemEffects.bucklerSlots, Text(TextId::kHeroDefenceUp));
    }
}

int ItemCommand(EnemyStatus& enemy) {
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
            if (s < 0 || s > 2) continue;
            // A count below 0 from a broken file counts as none.
            if (hero.items[s].count <= 0) {
                ShowAndWait(Text(TextId::kNoSuchItem));
                continue;
            }
            if (itemEffects.activeEffects >= 3 && s != kPotion) {
                ShowAndWait(Text(TextId::kThreeItemsAtOnce));
                continue;
            }
            UseItem(s + 1);
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
