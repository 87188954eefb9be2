#include "items/menus.h"

namespace rf {

void DrawCursorMarks(int) {}
void DrawItemName(int) {}
void DrawAbilityName(int) {}
void DrawItemCount(int) {}
void EraseMenuRow(int) {}
void DrawItemTitle() {}
void DrawAbilityTitle() {}
void EraseMenuTitle() {}
void OpenItemMenu() {}
void OpenAbilityMenu() {}
void DrawItemCountLine() {}
void MoveItemSelection(int) {}
void MoveAbilitySelection(int) {}
void SlideTargetBanner() {}
void CloseMenu(MenuKind) {}

}  // namespace rf
