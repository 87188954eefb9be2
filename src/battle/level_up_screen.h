#pragma once

namespace rf {

void ClearLevelUpPanel();
void DrawLevelUpFrame();
void ShowLevelUpIncreases();
void ShowLevelUpValues();

}  // namespace rf
