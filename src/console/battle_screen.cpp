#include "console/battle_screen.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "console/console.h"
#include "core/fixed_text.h"
#include "core/texts.h"
#include "core/world_translation.h"
#include "platform/console_session.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

// Enemy t of a formation of n stands at kFormation[n - 1][t - 1].
constexpr FormationCell kFormation[7][7] = {
    {{11, 3}},
    {{9, 3}, {13, 3}},
    {{9, 2}, {13, 2}, {11, 4}},
    {{9, 2}, {13, 2}, {9, 4}, {13, 4}},
    {{8, 2}, {14, 2}, {11, 3}, {8, 4}, {14, 4}},
    {{7, 2}, {11, 2}, {15, 2}, {7, 4}, {11, 4}, {15, 4}},
    {{5, 2}, {9, 2}, {13, 2}, {17, 2}, {7, 4}, {11, 4}, {15, 4}},
};

bool InFormation(int n, int t) { return n >= 1 && n <= 7 && t >= 1 && t <= n; }

void WriteAt(int x, int y, std::string_view text) {
    MoveTo(x, y);
    Write(text);
}

void SpacesAt(int x, int y, int count) {
    MoveTo(x, y);
    WriteSpaces(count);
}

// In one write: the same cells as one a piece.
void Repeat(std::string_view piece, int times) {
    std::string pieces;
    pieces.reserve(piece.size() * static_cast<std::size_t>(std::max(0, times)));
    for (int i = 0; i < times; ++i) pieces.append(piece);
    Write(pieces);
}

int BoxLeft(int n) { return heroPanelLeft + 2 * (4 - n); }
int BoxTop(int n) { return 3 * (n - 1); }

void WriteSymbolOf(const EnemyStatus& enemy, int n) {
    if (!InFormation(n, enemy.target)) return;
    FormationCell cell = FormationCellOf(n, enemy.target);
    WriteAt(battleLeft + cell.column, cell.row, FixedText(enemy.symbol));
}

}  // namespace

FormationCell FormationCellOf(int n, int t) {
    if (!InFormation(n, t)) return {0, 0};
    return kFormation[n - 1][t - 1];
}

void DrawCommandBox(int n) {
    if (n < 1 || n > 4) return;
    int x0 = BoxLeft(n);
    int y0 = BoxTop(n);
    WriteAt(x0 + 2, y0, "＿＿＿＿＿＿"_sj);
    WriteAt(x0, y0 + 1, "／"_sj);
    WriteAt(x0 + 12, y0 + 1, "／"_sj);
    WriteAt(x0, y0 + 2, "￣￣￣￣￣￣"_sj);
}

void EraseCommandBox(int n) {
    if (n < 1 || n > 4) return;
    int x0 = BoxLeft(n);
    int y0 = BoxTop(n);
    SpacesAt(x0 + 2, y0, 12);
    SpacesAt(x0, y0 + 1, 14);
    SpacesAt(x0, y0 + 2, 12);
}

void SlideInCommandBoxes() {
    constexpr int kSteps = 25;  // for each box
    heroPanelLeft = static_cast<std::int16_t>(heroPanelLeft + 48);
    Highlight();
    for (int n = 1; n <= 4; ++n) {
        if (n > 1) {
            SetTextAttribute(kPlain);
            heroPanelLeft = static_cast<std::int16_t>(heroPanelLeft + 50);
        }
        for (int step = 0; step < kSteps; ++step) {
            const bool drawn = DrawsFrame((n - 1) * kSteps + step, 4 * kSteps);
            if (drawn) DrawCommandBox(n);
            Pause(1);
            if (drawn && heroPanelLeft != kHeroPanelLeftRest) EraseCommandBox(n);
            heroPanelLeft = static_cast<std::int16_t>(heroPanelLeft - 2);
        }
    }
    heroPanelLeft = static_cast<std::int16_t>(heroPanelLeft + 2);
}

void DrawCommandLabels() {
    WriteAt(10, 1, Text(TextId::kCommandFight));
    Pause(100);
    WriteAt(8, 4, Text(TextId::kCommandDefend));
    Pause(100);
    WriteAt(6, 7, Text(TextId::kCommandItem));
    Pause(100);
    WriteAt(4, 10, Text(TextId::kCommandFlee));
    Pause(100);
}

void DrawEnemyView() {
    WriteAt(battleLeft, 0, " " + Underlined(Text(TextId::kTitleEnemyView), 3, 22));
    for (int y = 1; y <= 5; ++y) WriteAt(battleLeft, y, "|                      |");
    WriteAt(battleLeft, 6, " ￣￣￣￣￣￣￣￣￣￣￣"_sj);
}

void DrawFormation(const EnemyStatus& enemy, int n) {
    if (n < 1 || n > 7) return;
    SetTextAttribute(kPlain);
    const std::string_view s = FixedText(enemy.symbol);
    // Each row is one cursor move; the gaps are those the formation leaves
    // between two-cell symbols, whatever the symbol.
    for (int y = 2; y <= 4; ++y) {
        int last = -1;
        for (int t = 1; t <= n; ++t) {
            const FormationCell cell = kFormation[n - 1][t - 1];
            if (cell.row != y) continue;
            if (last < 0) MoveTo(battleLeft + cell.column, y);
            else Write(std::string(static_cast<std::size_t>(cell.column - last - 2), ' '));
            Write(s);
            last = cell.column;
        }
    }
}

void HighlightTarget(const EnemyStatus& enemy, int n) {
    if (!InFormation(n, enemy.target)) return;
    FormationCell cell = FormationCellOf(n, enemy.target);
    MoveTo(battleLeft + cell.column, cell.row);
    Highlight();
    Write(FixedText(enemy.symbol));
    SetTextAttribute(kPlain);
}

namespace {

void UseMark(bool active) {
    SetTextAttribute(kPlain);
    if (active) Highlight();
    else SetTextAttribute(kPlain | platform::kUnderscore);
}

}  // namespace

void MarkCommandBox(bool active) {
    if (platform::ConsoleLook()) return;
    UseMark(active);
    DrawCommandBox(battle.commandCursor + 1);
    SetTextAttribute(kPlain);
}

void MarkTarget(const EnemyStatus& enemy, int n, bool active) {
    if (platform::ConsoleLook() || !InFormation(n, enemy.target)) return;
    const FormationCell cell = FormationCellOf(n, enemy.target);
    MoveTo(battleLeft + cell.column, cell.row);
    UseMark(active);
    Write(FixedText(enemy.symbol));
    SetTextAttribute(kPlain);
}

void PlainTarget(const EnemyStatus& enemy, int n) {
    SetTextAttribute(kPlain);
    WriteSymbolOf(enemy, n);
}

void EraseTarget(const EnemyStatus& enemy, int n) {
    if (!InFormation(n, enemy.target)) return;
    FormationCell cell = FormationCellOf(n, enemy.target);
    WriteAt(battleLeft + cell.column, cell.row, "  ");
}

void DrawMessageFrame() {
    const int l = battleLeft;
    MoveTo(l + 1, 12);
    Repeat("￣"_sj, 26);
    for (int y = 12; y <= 18; ++y) {
        WriteAt(l, y, "|");
        WriteAt(l + 53, y, "|");
    }
    MoveTo(l + 1, 18);
    Repeat("＿"_sj, 26);
}

void DrawBanner(BannerKind kind, const EnemyStatus* enemy, int origin) {
    const int b = origin;
    WriteAt(b + 3, 8, "＿＿＿＿＿＿＿＿＿＿"_sj);
    // Texts of other languages are centred, so their frame has blanks that
    // any cell of them can cover.
    if (kind == BannerKind::HeroName || language != 0) {
        WriteAt(b + 1, 9, "／                  ／"_sj);
    } else {
        WriteAt(b + 1, 9, "／　　　　  　　　　／"_sj);
    }
    switch (kind) {
        case BannerKind::EnemyAttack: {
            // Centred in the frame: where the original put its four characters.
            const std::string_view text = Text(TextId::kEnemyTurnBanner);
            WriteAt(b + 12 - static_cast<int>(text.size() / 2), 9, text);
            break;
        }
        case BannerKind::HeroName: {
            std::string_view name = WorldText(FixedText(hero.name));
            WriteAt(b + 11 - static_cast<int>(name.size() / 2), 9, name);
            break;
        }
        case BannerKind::EnemyName: {
            if (enemy == nullptr) break;
            int x = -1;
            switch (enemy->kind) {
                case kPawn:
                case kKnight:
                case kRook:
                case kKing: x = b + 9; break;
                case kQueen: x = b + 8; break;
                case kBishop: x = b + 7; break;
                default: break;
            }
            const std::string_view own = FixedText(enemy->name), shown = WorldText(own);
            if (language != 0) x = b + 12 - static_cast<int>(shown.size() / 2);
            if (x >= 0) WriteAt(x, 9, shown);
            break;
        }
    }
    WriteAt(b + 1, 10, "￣￣￣￣￣￣￣￣￣￣"_sj);
}

void EraseBanner() {
    SpacesAt(battleLeft + 3, 8, 20);
    MoveTo(battleLeft + 1, 9);
    Repeat("　"_sj, 12);
    MoveTo(battleLeft + 1, 10);
    Repeat("　"_sj, 10);
}

void SlideInBanner(BannerKind kind, const EnemyStatus* enemy) {
    battleLeft = static_cast<std::int16_t>(battleLeft + 9);
    for (int frame = 1; frame <= 10; ++frame) {
        const bool drawn = DrawsFrame(frame - 1, 10);
        if (drawn) DrawBanner(kind, enemy, battleLeft);
        Pause(1);
        if (frame < 10) {
            if (drawn) EraseBanner();
            battleLeft = static_cast<std::int16_t>(battleLeft - 1);
        }
    }
}

void ClearTitleRow() {
    // The target-choice title rests one column left of L, so that column
    // goes too.
    const int from = battleLeft > 0 ? battleLeft - 1 : 0;
    SpacesAt(from, 7, battleLeft + 26 - from);
}

}  // namespace rf
