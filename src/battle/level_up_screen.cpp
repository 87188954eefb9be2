#include "battle/level_up_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/texts.h"
#include "core/world_translation.h"
#include "platform/narration.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

constexpr int kFirstRow = 2;
constexpr int kExpRow = 9;

constexpr TextId kRowNames[8] = {
    TextId::kLevelRowLevel,       TextId::kLevelRowHp,           TextId::kLevelRowAttack, TextId::kLevelRowDefence,
    TextId::kLevelRowMagicAttack, TextId::kLevelRowMagicDefence, TextId::kLevelRowSpeed,  TextId::kLevelRowExperience,
};
// The row's name fills its cells; the old value stands after the arrow.
std::string RowLabel(int k) {
    std::string label(Text(kRowNames[k]));
    label.resize(std::max<std::size_t>(label.size(), TextCells(kRowNames[k])), ' ');
    return label + "<==         ";
}

// The stat of row 2..8 in a record.
std::int16_t StatOfRow(const HeroStatus& h, int row) {
    switch (row) {
        case 2: return h.level;
        case 3: return h.maxHp;
        case 4: return h.attack;
        case 5: return h.defence;
        case 6: return h.magicAttack;
        case 7: return h.magicDefence;
        default: return h.speed;
    }
}

std::int16_t NewValueOfRow(int row) {
    if (row == kExpRow) return static_cast<std::int16_t>(hero.exp & 0xFFFFu);
    return StatOfRow(hero, row);
}

// Each row as the panel now shows it: "体力 40 から 46 (+6)。".
void NarrateRows() {
    if (!platform::Narrating()) return;
    for (int row = kFirstRow; row <= kExpRow; ++row) {
        const std::string_view name = Text(kRowNames[row - kFirstRow]);
        if (row == kExpRow) {
            platform::Narrate(spoken::Say(TextId::kSaidExperienceRow, {name}, {heroSnapshot.exp, NewValueOfRow(row)}),
                              platform::Voice::kKept);
            continue;
        }
        const int before = StatOfRow(heroSnapshot, row);
        const int after = NewValueOfRow(row);
        platform::Narrate(spoken::Say(TextId::kSaidLevelRow, {name}, {before, after, after - before}),
                          platform::Voice::kKept);
    }
}

void UnderlineRow(int y) {
    for (int x = battleLeft + 1; x <= battleLeft + 51; x += 2) {
        MoveTo(x, y);
        Write("＿"_sj);
    }
}

// Slides every count 0..increase in from the right to L+30.
void SlideIncrease(int row, int increase) {
    const int l = battleLeft;
    for (int i = 0; i <= increase; ++i) {
        const std::string digits = std::to_string(i);
        // Wide counts must be blanked over their whole width.
        const int width = std::max(2, static_cast<int>(digits.size()));
        for (int x = l + 50; x >= l + 30; --x) {
            MoveTo(x, row);
            Write(digits);
            Pause(1);
            if (x != l + 30) {
                MoveTo(x, row);
                WriteSpaces(width);
                if (x + width > l + 53) {
                    MoveTo(l + 53, row);
                    Write("|");
                }
            }
        }
    }
}

}  // namespace

void ClearLevelUpPanel() {
    for (int y = 0; y <= 10; ++y) {
        MoveTo(battleLeft, y);
        WriteSpaces(53);
    }
}

void DrawLevelUpFrame() {
    const int l = battleLeft;
    UnderlineRow(0);
    MoveTo(l + 6, 0);
    Write(WorldText(FixedText(hero.name)));
    Write(Text(TextId::kTitleLevelUp));
    for (int y = 1; y <= 10; ++y) {
        MoveTo(l, y);
        Write("|");
        MoveTo(l + 53, y);
        Write("|");
    }
    UnderlineRow(10);
}

void ShowLevelUpIncreases() {
    const int l = battleLeft;
    for (int k = 0; k < 8; ++k) {
        MoveTo(l + 2, kFirstRow + k);
        Write(RowLabel(k));
        Pause(50);
    }
    for (int row = kFirstRow; row < kExpRow; ++row) {
        MoveTo(l + 29, row);
        Write("+");
        const auto increase = static_cast<std::int16_t>(StatOfRow(hero, row) - StatOfRow(heroSnapshot, row));
        SlideIncrease(row, increase);
    }
    MoveTo(l + 29, kExpRow);
    Write("+");
    const std::uint32_t gained = heroSnapshot.exp;
    for (std::uint32_t i = 0;; ++i) {
        MoveTo(l + 30, kExpRow);
        WriteNumber(i);
        Pause(1);
        if (KeyWaiting()) {
            // One code only: what is left of an arrow is read while the next
            // message types, where it cuts the pauses but acknowledges nothing.
            ReadKey();
            MoveTo(l + 30, kExpRow);
            WriteNumber(gained);
            break;
        }
        if (i == gained) break;
    }
}

void ShowLevelUpValues() {
    const int x = battleLeft + 38;
    for (int row = kFirstRow; row <= kExpRow; ++row) {
        const std::string text = ":     " + std::to_string(NewValueOfRow(row));
        const int width = std::max(9, static_cast<int>(text.size()));
        for (int r = kExpRow; r >= row; --r) {
            MoveTo(x, r);
            Write(text);
            Pause(5);
            if (r != row) {
                MoveTo(x, r);
                WriteSpaces(width);
            }
        }
    }
    NarrateRows();
}

}  // namespace rf
