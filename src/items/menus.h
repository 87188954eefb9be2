// The item and ability menus at the top right and the target-choice banner.
#pragma once

#include <string_view>

namespace rf {

enum class MenuKind { Item, Ability };

void DrawCursorMarks(int row);
void DrawItemName(int row);
// The name of item row 1 to 3 (empty for another row).
std::string_view ItemName(int row);
void DrawAbilityName(int row);
// The cells the name of ability `index` (0 SwordCut...) has in its menu row.
int AbilityNameCells(int index);
void DrawItemCount(int row);
void EraseMenuRow(int row);
void DrawItemTitle();
void DrawAbilityTitle();
void EraseMenuTitle();
void OpenItemMenu();
void OpenAbilityMenu();
void DrawItemCountLine();
// Moves the highlighted row by delta (-1 or 1) when it stays in the menu.
void MoveItemSelection(int delta);
void MoveAbilitySelection(int delta);
void SlideTargetBanner();
void CloseMenu(MenuKind kind);

}  // namespace rf
