#include "field_view.h"

#include <string>

#include "console/console.h"
#include "core/sjis.h"
#include "map_files.h"

namespace rf {
namespace {

// Grid row gy from grid column gx, 60 cells as stored.
std::string GridRow(int gx, int gy) {
    std::string row(kMapColumns, ' ');
    for (int i = 0; i < kMapColumns; ++i) row[static_cast<std::size_t>(i)] = static_cast<char>(GridCell(gx + i, gy));
    return row;
}

int CurrentTop() { return OriginRow(hero.mapNumber); }
int CurrentLeft() { return OriginColumn(hero.mapNumber); }

}  // namespace

void DrawFieldEnemies() {
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        // An empty entry is nobody: drawing it would cover the top-left cells.
        if (IsEmptyEntry(e)) continue;
        DrawSymbolAt(EnemySymbolOf(e.kind), e.x, e.y);
    }
}

void DrawField() {
    MoveTo(0, 0);
    for (int y = 0; y < kMapRows; ++y) WriteLine(GridRow(CurrentLeft(), CurrentTop() + y));
    DrawFieldEnemies();
    MoveTo(hero.fieldX, hero.fieldY);
    Write("●"_sj);
}

void DrawMiniMapFrame() {
    MoveTo(61, 0);
    Write(" _____MiniMap_____");
    for (int y = 1; y <= 5; ++y) {
        MoveTo(61, y);
        Write("|                 |");
    }
    MoveTo(61, 6);
    Write(" ￣￣￣￣￣￣￣￣￣"_sj);
}

void DrawMiniMap() {
    if (!IsMapNumber(hero.mapNumber)) return;
    const int c = MapColumnOf(hero.mapNumber);
    const int r = MapRowOf(hero.mapNumber);
    for (int k = 0; k < 5; ++k) {
        MoveTo(63, 1 + k);
        const auto* row = reinterpret_cast<const char*>(miniMapText.text[2 * r + k]);
        WriteLine(std::string_view(row + 2 * c, 15));
    }
}

void DrawMiniMapMark() {
    if (!IsMapNumber(hero.mapNumber)) return;
    const int x = 64 + 5 * MapColumnOf(hero.mapNumber);
    const int r = MapRowOf(hero.mapNumber);
    MoveTo(x, r + 2);
    SetTextAttribute(kPlain);
    Highlight();
    WriteLine("_|_");
    MoveTo(x, r + 3);
    SetTextAttribute(kPlain);
    Write("_");
    Highlight();
    Write("|");
    SetTextAttribute(kPlain);
    Write("_");
}

void DrawLegend() {
    MoveTo(0, 21);
    WriteLine("＞+--------------------------------------------------------------+＜"_sj);
    Write("メニュー ・・・ スペース"_sj);
    Write("\t");
    WriteLine("移動 ・・・ 矢印キー"_sj);
    Write("◎ ・・・ ポーン"_sj);
    Write("\t");
    Write("△ ・・・ ナイト"_sj);
    Write("\t");
    WriteLine("○ ・・・ ビショップ"_sj);
    Write("□ ・・・ ルーク"_sj);
    Write("\t");
    Write("Ω ・・・ クイーン"_sj);
    Write("\t");
    Write("Ψ ・・・ キング"_sj);
}

void DrawSymbolAt(std::string_view text, int x, int y) {
    MoveTo(x, y);
    Write(text);
}

void DrawPieceMark(std::string_view symbol, const PieceMark& mark) {
    // A mark off the field would land in the mini-map or the legend: it is not drawn,
    // but the way it stands for still opens.
    const bool onField = mark.x >= 1 && mark.x - 1 <= kLastHeroColumn && mark.y >= 1 && mark.y <= kMapRows;
    if (onField) {
        MoveTo(mark.x - 1, mark.y - 1);
        SetTextAttribute(kPlain);
        Highlight();
        Write(symbol);
        SetTextAttribute(kPlain);
    }
    OpenStrip();
}

void OpenStrip() {
    const int m = worldInfo.opening.map;
    if (!IsMapNumber(m)) return;
    const int top = OriginRow(m);
    const int left = OriginColumn(m);
    // Ten cells from column x - 1, kept within the map.
    for (int x = worldInfo.opening.x - 1; x <= worldInfo.opening.x + 8; ++x) {
        if (x < 0 || x >= kMapColumns) continue;
        worldGrid.cells[top][left + x] = ' ';
        worldGrid.cells[top + 1][left + x] = ' ';
    }
}

void DrawScrollColumns(int shift) {
    for (int y = 0; y < kMapRows; ++y) WriteLine(GridRow(CurrentLeft() + shift, CurrentTop() + y));
}

void DrawScrollRows(int shift) {
    for (int y = 0; y < kMapRows; ++y) WriteLine(GridRow(CurrentLeft(), CurrentTop() + shift + y));
    MoveTo(0, 20);
    WriteSpaces(kMapColumns);
}

}  // namespace rf
