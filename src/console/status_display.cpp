#include "console/status_display.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

#include "console/console.h"
#include "core/game_state.h"

namespace rf {
namespace {

constexpr int kBarCells = 18;

// The hero file's maximum is an unsigned 16-bit number.
int HeroMaxHp() { return static_cast<std::uint16_t>(hero.maxHp); }

void WriteBarCells(int count) {
    static constexpr std::string_view kFull = "------------------";
    static_assert(kFull.size() == kBarCells);
    Write(kFull.substr(0, static_cast<std::size_t>(std::clamp(count, 0, kBarCells))));
}

}  // namespace

int HpBarLength(int hp, int maxHp) {
    // Without a positive maximum there is no quotient: the bar is empty.
    if (maxHp <= 0 || hp <= 0) return 0;
    double cells = hp * (18.0 / maxHp);
    if (cells >= kBarCells) return kBarCells;
    return static_cast<int>(cells);
}

int EffectBarLength(int turnsLeft) {
    if (turnsLeft == 11) return kBarCells;
    if (turnsLeft <= 0) return 0;
    double cells = turnsLeft * 1.8;
    if (cells >= kBarCells) return kBarCells;
    return static_cast<int>(cells);
}

void DrawLevel() {
    MoveTo(heroPanelLeft + 6, 12);
    Write("Lv : ");
    WriteNumber(hero.level);
}

void DrawHpGauge() {
    const int x = heroPanelLeft;
    MoveTo(x + 3, 12);
    Write("|");
    MoveTo(x + 3, 14);
    Write("|");
    MoveTo(x, 13);
    Write("---+");
    const int n = HpBarLength(hero.hp, HeroMaxHp());
    MoveTo(x + 4, 13);
    for (int i = 0; i < n; ++i) {
        Write("-");
        Pause(30);
    }
    // A longer bar from before (a new maximum may give a shorter full bar)
    // must not leave its tail standing.
    WriteSpaces(kBarCells - n);
    MoveTo(x + 6, 14);
    SetTextAttribute(kPlain);
    Write("HP : ");
    Highlight();
    WriteNumber(hero.hp);
    SetTextAttribute(kPlain);
    Write(" / ");
    WriteNumber(HeroMaxHp());
}

void RedrawHpBar() {
    const int x = heroPanelLeft;
    MoveTo(x + 4, 13);
    WriteSpaces(kBarCells);
    MoveTo(x + 4, 13);
    WriteBarCells(HpBarLength(hero.hp, HeroMaxHp()));
}

void CountDownHp(std::int16_t damage) {
    // A hero already down has nothing left to take.
    if (damage <= 0 || hero.hp <= 0) return;
    const int x = heroPanelLeft;
    MoveTo(x + 11, 14);
    Highlight();
    // One frame a point, down to 0 at most.
    const int frames = std::min<int>(damage, hero.hp);
    for (int i = 0; i < frames; ++i) {
        hero.hp = static_cast<std::int16_t>(hero.hp - 1);
        const bool drawn = DrawsFrame(i, frames);
        if (drawn) {
            WriteNumber(hero.hp);
            Write(" ");
            SetTextAttribute(kPlain);
            RedrawHpBar();
            Highlight();
        }
        if (hero.hp <= 0) break;
        if (drawn) MoveTo(x + 11, 14);
        Pause(20);
    }
    SetTextAttribute(kPlain);
}

void CountUpHp(std::int16_t limit) {
    const int x = heroPanelLeft;
    // One frame a point, up to the maximum (which 16 bits hold) at most.
    const int top = std::min<int>(HeroMaxHp(), std::numeric_limits<std::int16_t>::max());
    const int frames = std::clamp(top - hero.hp, 0, std::max(0, static_cast<int>(limit)));
    for (int i = 0; i < frames; ++i) {
        hero.hp = static_cast<std::int16_t>(hero.hp + 1);
        if (DrawsFrame(i, frames)) {
            MoveTo(x + 11, 14);
            WriteNumber(hero.hp);
            RedrawHpBar();
        }
        Pause(20);
    }
}

void DrawEffectFrames() {
    SetTextAttribute(kPlain);
    for (int row = 16; row <= 18; ++row) {
        MoveTo(heroPanelLeft + 3, row);
        Write("+");
        Pause(10);
    }
}

void DrawEffectGauge(std::int16_t turnsLeft, int row) {
    if (row < 0 || row > 2) return;
    const int x = heroPanelLeft;
    const int y = 16 + row;
    SetTextAttribute(kPlain);
    MoveTo(x + 4, y);
    WriteSpaces(kBarCells);
    MoveTo(x + 4, y);
    if (turnsLeft == 11) {
        for (int i = 0; i < kBarCells; ++i) {
            Write("-");
            Pause(5);
        }
    } else {
        WriteBarCells(EffectBarLength(turnsLeft));
    }
}

}  // namespace rf
