#include "battle/level_up_screen.h"

namespace rf {

void ClearLevelUpPanel() {}
void DrawLevelUpFrame() {}
void ShowLevelUpIncreases() {}
void ShowLevelUpValues() {}

}  // namespace rf
