// The game's words for a screen reader beyond its messages, all here (code
// page 932): what the field shows around the hero, a battle's start, the
// selected command, target, ability or item and what it does, and the
// level-up rows. The rules compose them and hand them to
// platform::Narrate; nothing on the screen depends on them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "text/sj_literal.h"

namespace rf::spoken {

// "マップ1　レベル1　HP40。"
inline constexpr std::string_view kMap = "マップ"_sj;
inline constexpr std::string_view kLevel = "　レベル"_sj;
inline constexpr std::string_view kHp = "　HP"_sj;
inline constexpr std::string_view kStop = "。"_sj;
inline constexpr std::string_view kComma = "、"_sj;
// The four ways, as the arrows are read: up, down, left, right.
inline constexpr std::string_view kWays[4] = {"上"_sj, "下"_sj, "左"_sj, "右"_sj};
inline constexpr std::string_view kWallNext = "は壁"_sj;
inline constexpr std::string_view kStepsTo = "に"_sj;
inline constexpr std::string_view kSteps = "歩"_sj;
inline constexpr std::string_view kThenWall = "で壁"_sj;
inline constexpr std::string_view kThenExit = "で次のマップ"_sj;
inline constexpr std::string_view kSign = "看板「"_sj;
inline constexpr std::string_view kSignEnd = "」。"_sj;
inline constexpr std::string_view kNoEnemies = "敵はいない。"_sj;
inline constexpr std::string_view kEnemyAt = "："_sj;
inline constexpr std::string_view kHere = "すぐそば"_sj;

// "バトル開始：ポーン　3体。"
inline constexpr std::string_view kBattleStarts = "バトル開始："_sj;
inline constexpr std::string_view kGroupOf = "体"_sj;

// The four commands, in the command boxes' order, with what each does.
inline constexpr std::string_view kCommands[4] = {
    "たたかう：対象と技を選んで攻撃する。"_sj,
    "ぼうぎょ：この回の防御力を2倍にする。"_sj,
    "アイテム：アイテムを使う。"_sj,
    "にげる：逃げる。失敗すると敵の攻撃を受ける。"_sj,
};

// "対象：ポーン　2番　HP 12/20。"
inline constexpr std::string_view kTarget = "対象："_sj;
inline constexpr std::string_view kNumber = "番"_sj;

// "SwordCut：威力 10、命中 90。"
inline constexpr std::string_view kPower = "：威力 "_sj;
inline constexpr std::string_view kAccuracy = "、命中 "_sj;

// After the item's name, in the item menu's order: what it does.
inline constexpr std::string_view kItemsDo[3] = {
    "：体力を20回復する。"_sj,
    "：攻撃力を5上げる（11回）。"_sj,
    "：防御力を5上げる（11回）。"_sj,
};
inline constexpr std::string_view kHeld = "持っている数 "_sj;

// A level-up row: "体力 40 から 46 (+6)。", "経験値 +12、合計 3。"
inline constexpr std::string_view kFrom = " "_sj;
inline constexpr std::string_view kTo = " から "_sj;
inline constexpr std::string_view kTotal = "、合計 "_sj;

// The game waits for Enter after a failed flight and the enemies' blows.
inline constexpr std::string_view kGoOn = "Enterで続ける。"_sj;

// Joins the pieces into one line.
inline std::string Line(std::initializer_list<std::string_view> pieces) {
    std::string line;
    for (std::string_view piece : pieces) line += piece;
    return line;
}

}  // namespace rf::spoken
