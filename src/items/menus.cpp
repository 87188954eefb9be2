#include "items/menus.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "console/battle_screen.h"
#include "console/console.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/texts.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "items/abilities.h"
#include "items/items.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

constexpr int kMenuLeft = 54;
constexpr int kMenuWidth = 20;
constexpr int kCountColumn = 65;
// From the count to the right mark at column 71.
constexpr int kCountCells = 6;

// The count line sits under the last item's row.
constexpr int kCountRow = 5;
static_assert(kItemKinds < kCountRow, "the item menu has four rows above its count line");
static_assert(kAbilities <= kCountRow, "the ability menu has five rows");

constexpr int kAbilityColumns[kAbilities] = {62, 60, 59, 62, 60};

// A menu's title, centred in its rule.
void DrawMenuTitle(TextId title) {
    const std::string_view text = Text(title);
    MoveTo(kMenuLeft, 0);
    Write(Underlined(text, (kMenuWidth - static_cast<int>(text.size())) / 2, kMenuWidth));
}

int ScreenRow(int row) { return menuTop + 2 * row; }

int AbilityRows() { return AvailableAbilities(hero.level); }

// One frame of a sliding row: marks first, then the name.
void DrawMenuRow(MenuKind kind, int row) {
    if (row == 1) Highlight();
    DrawCursorMarks(row);
    SetTextAttribute(kPlain);
    if (kind == MenuKind::Item) {
        DrawItemName(row);
    } else {
        DrawAbilityName(row);
    }
}

// Row n drops from screen row 0 to its place, screen row 2n.
void SlideRowIn(MenuKind kind, int row) {
    menuTop = static_cast<std::int16_t>(-2 * row);
    const int frames = 2 * row + 1;
    for (int frame = 1; frame <= frames; ++frame) {
        const bool drawn = DrawsFrame(frame - 1, frames);
        if (drawn) DrawMenuRow(kind, row);
        Pause(1);
        if (drawn && frame < frames) EraseMenuRow(row);
        menuTop = static_cast<std::int16_t>(menuTop + 1);
    }
}

}  // namespace

void DrawCursorMarks(int row) {
    MoveTo(55, ScreenRow(row));
    Write("＜"_sj);
    MoveTo(71, ScreenRow(row));
    Write("＞"_sj);
}

std::string_view ItemName(int row) {
    return row < 1 || row > kItemKinds ? std::string_view() : Text(kItems[row - 1].name);
}

void DrawItemName(int row) {
    if (row < 1 || row > kItemKinds) return;
    MoveTo(59, ScreenRow(row));
    Write(Text(kItems[row - 1].name));
}

int AbilityNameCells(int index) { return index >= 0 && index < kAbilities ? 71 - kAbilityColumns[index] : 0; }

void DrawAbilityName(int row) {
    if (row < 1 || row > kAbilities) return;
    const std::string_view original = FixedText(abilityTable.abilities[row - 1].name);
    const std::string_view name = WorldText(original);
    // The world's own names stand where the original put them; a translation
    // is centred between the marks (a byte of code page 932 is a cell).
    constexpr int kInsideLeft = 57, kInsideCells = 14;
    const int cells = static_cast<int>(std::min<std::size_t>(name.size(), kInsideCells));
    MoveTo(name == original ? kAbilityColumns[row - 1] : kInsideLeft + (kInsideCells - cells) / 2, ScreenRow(row));
    Write(name);
}

void DrawItemCount(int row) {
    if (row < 1 || row > kItemKinds) return;
    // A negative count is none; the cells after the digits are blanked so a
    // shorter count leaves nothing of the one before.
    const int count = std::max<int>(0, hero.items[row - 1].count);
    std::string text = std::to_string(count);
    if (text.size() < kCountCells) text.append(kCountCells - text.size(), ' ');
    MoveTo(kCountColumn, ScreenRow(kCountRow));
    Write(text);
}

void EraseMenuRow(int row) {
    MoveTo(kMenuLeft, ScreenRow(row));
    WriteSpaces(kMenuWidth);
}

void DrawItemTitle() { DrawMenuTitle(TextId::kTitleItem); }

void DrawAbilityTitle() { DrawMenuTitle(TextId::kTitleAbility); }

void EraseMenuTitle() {
    MoveTo(kMenuLeft, 0);
    WriteSpaces(kMenuWidth);
}

void OpenItemMenu() {
    SetTextAttribute(kPlain);
    for (int row = kItemKinds; row >= 1; --row) SlideRowIn(MenuKind::Item, row);
    menuTop = static_cast<std::int16_t>(menuTop - 1);
    DrawItemTitle();
}

void OpenAbilityMenu() {
    SetTextAttribute(kPlain);
    for (int row = AbilityRows(); row >= 1; --row) SlideRowIn(MenuKind::Ability, row);
    menuTop = static_cast<std::int16_t>(menuTop - 1);
    DrawAbilityTitle();
}

void DrawItemCountLine() {
    SetTextAttribute(kPlain);
    DrawCursorMarks(kCountRow);
    MoveTo(62, ScreenRow(kCountRow));
    Write("×"_sj);
    Highlight();
    DrawItemCount(std::clamp<int>(battle.itemCursor, 0, kItemKinds - 1) + 1);
    SetTextAttribute(kPlain);
}

void MoveItemSelection(int delta) {
    const int next = battle.itemCursor + delta;
    if (delta == 0 || next < 0 || next > kItemKinds - 1) return;
    SetTextAttribute(kPlain);
    DrawCursorMarks(battle.itemCursor + 1);
    battle.itemCursor = static_cast<std::int16_t>(next);
    Highlight();
    DrawCursorMarks(next + 1);
    DrawItemCount(next + 1);
    SetTextAttribute(kPlain);
}

void MoveAbilitySelection(int delta) {
    const int next = battle.abilityCursor + delta;
    if (delta == 0 || next < 0 || next > AbilityRows() - 1) return;
    SetTextAttribute(kPlain);
    DrawCursorMarks(battle.abilityCursor + 1);
    battle.abilityCursor = static_cast<std::int16_t>(next);
    Highlight();
    DrawCursorMarks(next + 1);
    SetTextAttribute(kPlain);
}

void SlideTargetBanner() {
    for (int frame = 0; frame < 8; ++frame) {
        const bool drawn = DrawsFrame(frame, 8);
        const int x = battleLeft + 6 - frame;
        if (drawn) {
            MoveTo(x, 7);
            Write(Text(TextId::kTargetBanner));
        }
        Pause(1);
        if (!drawn) continue;
        // The trailing blanks stop at the screen's edge rather than wrap
        // onto the next row.
        MoveTo(x + 26, 7);
        WriteSpaces(std::min(26, kScreenColumns - (x + 26)));
    }
}

void CloseMenu(MenuKind kind) {
    for (int row = 1; row <= kCountRow; ++row) EraseMenuRow(row);
    EraseMenuTitle();
    if (kind == MenuKind::Item) {
        ClearTitleRow();
        EraseBanner();
        battle.itemCursor = 0;
    } else {
        battle.abilityCursor = 0;
    }
}

}  // namespace rf
