// Every text of the field menu, in one place.
#pragma once

#include <string_view>

#include "text/sj_literal.h"

namespace rf::menu_texts {

inline constexpr std::string_view kTabs[6] = {"つよさ"_sj,     "アイテム"_sj, "わざ"_sj,
                                              "あそびかた"_sj, "せってい"_sj, "おわる"_sj};
inline constexpr std::string_view kFooter = "←→ ページ  ↑↓ えらぶ  Enter きめる  スペース とじる"_sj;

// Status.
inline constexpr std::string_view kLevel = "レベル"_sj, kHp = "体力"_sj, kAttack = "攻撃力"_sj, kDefence = "防御力"_sj,
                                  kMagicAttack = "魔法攻撃力"_sj, kMagicDefence = "魔法防御力"_sj, kSpeed = "素早さ"_sj,
                                  kExp = "経験値"_sj;
inline constexpr std::string_view kToNext = "つぎのレベルまで"_sj;
inline constexpr std::string_view kHpNote = "（バトルのはじめに全回復）"_sj;
inline constexpr std::string_view kEffects = "つづいている効果"_sj, kNoEffects = "なし"_sj;
inline constexpr std::string_view kTurnsLeft = "あと"_sj;
inline constexpr std::string_view kJourney = "― たびのきろく ―"_sj;
inline constexpr std::string_view kPlayed = "プレイ時間"_sj;
inline constexpr std::string_view kBattles = "バトル"_sj, kWon = "勝ち"_sj, kLost = "負け"_sj, kFled = "にげた"_sj;
inline constexpr std::string_view kMaps = "おとずれたマップ"_sj;
inline constexpr std::string_view kQueen = "クイーン"_sj, kKing = "キング"_sj;
inline constexpr std::string_view kSeen = "みた"_sj, kNotSeen = "まだ"_sj;

// Items.
inline constexpr std::string_view kItemsHeader = "アイテムはバトルの「アイテム」でつかう"_sj;
inline constexpr std::string_view kCount = "こ"_sj;
inline constexpr std::string_view kHeals = "体力を回復する"_sj;
inline constexpr std::string_view kRaisesAttack = "攻撃力アップ"_sj, kRaisesDefence = "防御力アップ"_sj;
inline constexpr std::string_view kForTurns = "ターンほど"_sj;
inline constexpr std::string_view kCarriesOver = "効果はつぎのバトルにもつづく。同時に３つまで"_sj;

// Abilities.
inline constexpr std::string_view kAbilitiesHeader = "「たたかう」で相手をえらび、わざでうつ"_sj;
inline constexpr std::string_view kPower = "威力"_sj, kAccuracy = "命中"_sj;
inline constexpr std::string_view kAgainstDefence = "どのわざも相手の防御力で弱まる"_sj;
inline constexpr std::string_view kPowerNote = "ダメージ＝（攻撃力×威力＋命中）÷防御力 ほど"_sj;
inline constexpr std::string_view kNextAbility = "つぎのわざはレベル"_sj, kOpens = "でおぼえる"_sj;
inline constexpr std::string_view kAllAbilities = "すべてのわざをおぼえた"_sj;

// How to play.
inline constexpr std::string_view kHowTo[] = {
    "矢印キー（h j k l、テンキー 8 2 4 6）：あるく・えらぶ"_sj,
    "Enter（→）：きめる　　スペース（←）：もどる"_sj,
    "Enter・→・↓：メッセージを送る"_sj,
    "スペース：このメニュー　　Ctrl+C：セーブしておわる"_sj,
    "敵にふれるとバトル。負けても失うものはない"_sj,
};
inline constexpr std::string_view kSigns = "― 看板 ―"_sj;

// Settings.
inline constexpr std::string_view kPaceLabel = "メッセージ"_sj;
inline constexpr std::string_view kPaces[3] = {"キーで送る"_sj, "自動で送る"_sj, "すぐ出してキーで送る"_sj};
inline constexpr std::string_view kKeysLabel = "hjkl・テンキー"_sj;
inline constexpr std::string_view kOn = "つかう"_sj, kOff = "つかわない"_sj;
inline constexpr std::string_view kLookLabel = "みため"_sj;
inline constexpr std::string_view kLooks[2] = {"反転でしめす"_sj, "元のコンソール"_sj};
inline constexpr std::string_view kNextStart = "（つぎの起動から）"_sj;
inline constexpr std::string_view kKeptIn = "ここにおぼえる："_sj;
inline constexpr std::string_view kNotKept = "おぼえられない："_sj;
inline constexpr std::string_view kReplayNotKept = "リプレイ中はおぼえない"_sj;

// Quit.
inline constexpr std::string_view kQuit = "セーブしておわる"_sj;
inline constexpr std::string_view kQuitNote = "Enter でおわる。つづきは終了時に出るコマンドで"_sj;

}  // namespace rf::menu_texts
