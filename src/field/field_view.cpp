#include "field/field_view.h"

#include <algorithm>
#include <string>

#include "console/console.h"
#include "core/texts.h"
#include "field/map_files.h"
#include "text/cp932.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

// The field screen: the map at the top left; the mini-map right of it past
// a blank column, its picture two cells inside its frame; the field's line
// under the map (the Queen's word, as wide as its text), then the legend.
constexpr int kMiniMapLeft = kMapColumns + 1;
constexpr int kMiniMapShownRows = 5;
constexpr int kMiniMapShownBytes = 15;
constexpr int kMiniMapWidth = kMiniMapShownBytes + 4;  // its frame: "|", a blank, the picture, a blank, "|"
constexpr int kMiniMapPictureLeft = kMiniMapLeft + 2;
constexpr int kMiniMapMarkLeft = kMiniMapLeft + 3;
constexpr int kMiniMapMarkStep = 5;  // cells from one map's mark to the next one's
constexpr int kFieldLineCells = std::max(kMapColumns, kTextEntries[static_cast<int>(TextId::kFieldKingOpen)].cells);
constexpr int kLegendTop = kMapRows + 1;
constexpr int kLegendRows = 4;
static_assert(kMiniMapLeft + kMiniMapWidth <= kScreenColumns,
              "the mini-map stands right of the map past a blank column: at most 60 columns fit 80");
static_assert(kMiniMapShownRows + 2 <= kMapRows,
              "the mini-map's frame (7 rows) stands beside the map, over the field's line: at least 7 rows");
static_assert(kFieldLineCells <= kScreenColumns, "the field's line fits the screen");
static_assert(kLegendTop + kLegendRows <= kScreenRows,
              "the field's line and the legend's 4 rows stand under the map: at most 20 rows fit 25");

// Grid row gy from grid column gx, a map's width as stored.
std::string GridRow(int gx, int gy) {
    std::string row(kMapColumns, ' ');
    for (int i = 0; i < kMapColumns; ++i) row[static_cast<std::size_t>(i)] = static_cast<char>(DrawnCell(gx + i, gy));
    return row;
}

// Grid row gy from grid column gx as a frame of the sideways scroll shows
// it: each map's row reads as characters from the map's column 0, and a
// two-byte character that the frame's edge (or the seam between two maps)
// cuts shows as a blank, not as its lone byte read as another character.
// The grid keeps its bytes.
std::string ShownRow(int gx, int gy) {
    std::string row = GridRow(gx, gy);
    const int end = gx + kMapColumns;
    for (int mapLeft = gx - (gx % kMapColumns + kMapColumns) % kMapColumns; mapLeft < end; mapLeft += kMapColumns) {
        const int mapEnd = mapLeft + kMapColumns;
        for (int c = mapLeft; c < mapEnd && c < end;) {
            if (!IsLeadByte(DrawnCell(c, gy))) {
                ++c;
                continue;
            }
            // The pair c, c + 1; its second byte lies beyond the map when c is its last column.
            const bool whole = c + 1 < mapEnd && c >= gx && c + 1 < end;
            if (!whole) {
                if (c >= gx) row[static_cast<std::size_t>(c - gx)] = ' ';
                if (c + 1 >= gx && c + 1 < end && c + 1 < mapEnd) row[static_cast<std::size_t>(c + 1 - gx)] = ' ';
            }
            c += 2;
        }
    }
    return row;
}

int CurrentTop() { return OriginRow(hero.mapNumber); }
int CurrentLeft() { return OriginColumn(hero.mapNumber); }

// The mark entering the current map draws, and its symbol; none when the
// map holds neither piece. The Queen wins when both share a map.
const PieceMark* CurrentPieceMark(std::string_view& symbol) {
    const PieceMark* marks[] = {&worldInfo.queenMark, &worldInfo.kingMark};
    for (int i = 0; i < 2; ++i) {
        if (hero.mapNumber != marks[i]->map) continue;
        symbol = enemyTable.kinds[(i == 0 ? kQueen : kKing) - 1].symbol;
        return marks[i];
    }
    return nullptr;
}

// A mark off the field would land in the mini-map or the legend: it is not
// drawn, but the way it stands for still opens. The field's last column
// may hold it (the mark's second cell is the blank beside it).
void DrawMarkSymbol(std::string_view symbol, const PieceMark& mark) {
    const bool onField = mark.x >= 1 && mark.x <= kMapColumns && mark.y >= 1 && mark.y <= kMapRows;
    if (!onField) return;
    MoveTo(mark.x - 1, mark.y - 1);
    SetTextAttribute(kPlain);
    Highlight();
    Write(symbol);
    SetTextAttribute(kPlain);
}

bool Overlaps(int x, int width, int from, int to) { return x <= to && x + width - 1 >= from; }

int SymbolWidth(std::string_view symbol) { return std::max(2, static_cast<int>(symbol.size())); }

}  // namespace

void DrawFieldEnemies() {
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        // An empty entry is nobody: drawing it would cover the top-left cells.
        if (IsEmptyEntry(e)) continue;
        DrawSymbolAt(EnemySymbolOf(e.kind), e.x, e.y);
    }
}

void DrawCurrentPieceMark() {
    std::string_view symbol;
    const PieceMark* mark = CurrentPieceMark(symbol);
    if (mark) DrawPieceMark(symbol, *mark);
    pieceMarkOnScreen = mark != nullptr;
    // The first time the Queen opens the strip, the player is told where it leads.
    if (mark == &worldInfo.queenMark && !journey.queenSeen && IsMapNumber(worldInfo.opening.map) &&
        JourneyLinesShown()) {
        MoveTo(0, kMapRows);
        SetTextAttribute(kPlain);
        Write(Text(TextId::kFieldKingOpen));
    }
    if (mark == &worldInfo.queenMark) journey.queenSeen = true;
    if (mark == &worldInfo.kingMark) journey.kingSeen = true;
}

void ClearFieldLine() {
    MoveTo(0, kMapRows);
    WriteSpaces(kFieldLineCells);
}

void RestoreFieldCells(int x, int y, int width) {
    if (y < 0 || y >= kMapRows) return;
    const std::string row = GridRow(CurrentLeft(), CurrentTop() + y);
    // Widen the span to whole characters, as the row's bytes fall from column 0.
    int from = -1, to = -1, lastLength = 1;
    for (int c = 0; c < kMapColumns && c <= x + width - 1;) {
        const bool lead = IsLeadByte(static_cast<unsigned char>(row[static_cast<std::size_t>(c)]));
        const int length = lead && c + 1 < kMapColumns ? 2 : 1;
        if (from < 0 && c + length > x) from = c;
        to = c + length - 1;
        lastLength = length;
        c += length;
    }
    if (from < 0) return;
    std::string cells = row.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from + 1));
    // A lead byte without its second byte shows as nothing.
    if (lastLength == 1 && IsLeadByte(static_cast<unsigned char>(cells.back()))) cells.back() = ' ';
    MoveTo(from, y);
    Write(cells);
    std::string_view symbol;
    const PieceMark* mark = pieceMarkOnScreen ? CurrentPieceMark(symbol) : nullptr;
    if (mark && mark->y - 1 == y && Overlaps(mark->x - 1, SymbolWidth(symbol), from, to)) DrawMarkSymbol(symbol, *mark);
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        const std::string_view s = EnemySymbolOf(e.kind);
        if (!IsEmptyEntry(e) && e.y == y && Overlaps(static_cast<int>(e.x), SymbolWidth(s), from, to))
            DrawSymbolAt(s, static_cast<int>(e.x), y);
    }
    if (hero.fieldY == y && Overlaps(hero.fieldX, 2, from, to)) DrawSymbolAt("●"_sj, hero.fieldX, y);
}

void DrawField() {
    MoveTo(0, 0);
    for (int y = 0; y < kMapRows; ++y) WriteLine(GridRow(CurrentLeft(), CurrentTop() + y));
    DrawFieldEnemies();
    MoveTo(hero.fieldX, hero.fieldY);
    Write("●"_sj);
}

void DrawMiniMapFrame() {
    MoveTo(kMiniMapLeft, 0);
    Write(" " + Underlined(Text(TextId::kTitleMiniMap), 5, kMiniMapWidth - 2));
    for (int y = 1; y <= kMiniMapShownRows; ++y) {
        MoveTo(kMiniMapLeft, y);
        Write("|" + std::string(kMiniMapWidth - 2, ' ') + "|");
    }
    MoveTo(kMiniMapLeft, kMiniMapShownRows + 1);
    std::string bottom = " ";
    for (int cells = 1; cells + 2 <= kMiniMapWidth; cells += 2) bottom += "￣"_sj;
    Write(bottom);
}

void DrawMiniMap() {
    if (!IsMapNumber(hero.mapNumber)) return;
    const int c = MapColumnOf(hero.mapNumber);
    const int r = MapRowOf(hero.mapNumber);
    for (int k = 0; k < kMiniMapShownRows; ++k) {
        MoveTo(kMiniMapPictureLeft, 1 + k);
        const auto* row = reinterpret_cast<const char*>(miniMapText.text[2 * r + k]);
        WriteLine(std::string_view(row + 2 * c, kMiniMapShownBytes));
    }
}

void DrawMiniMapMark() {
    if (!IsMapNumber(hero.mapNumber)) return;
    const int x = kMiniMapMarkLeft + kMiniMapMarkStep * MapColumnOf(hero.mapNumber);
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

namespace {

// A legend text filled out to its cells, so the tab after it reaches the
// same stop in every language.
void WriteFilled(TextId id) {
    const std::string_view text = Text(id);
    Write(text);
    WriteSpaces(TextCells(id) - static_cast<int>(text.size()));
}

}  // namespace

void DrawLegend() {
    MoveTo(0, kLegendTop);
    WriteLine("＞+--------------------------------------------------------------+＜"_sj);
    WriteFilled(TextId::kLegendMenu);
    Write("\t");
    WriteLine(Text(TextId::kLegendMove));
    Write(kLegendSymbols[0]);
    WriteFilled(TextId::kLegendPawn);
    Write("\t");
    Write(kLegendSymbols[1]);
    WriteFilled(TextId::kLegendKnight);
    Write("\t");
    Write(kLegendSymbols[2]);
    WriteLine(Text(TextId::kLegendBishop));
    Write(kLegendSymbols[3]);
    WriteFilled(TextId::kLegendRook);
    Write("\t");
    Write(kLegendSymbols[4]);
    WriteFilled(TextId::kLegendQueen);
    Write("\t");
    Write(kLegendSymbols[5]);
    Write(Text(TextId::kLegendKing));
    // The legend closes every whole field screen.
    NarrateField();
}

void DrawSymbolAt(std::string_view text, int x, int y) {
    MoveTo(x, y);
    Write(text);
}

void DrawPieceMark(std::string_view symbol, const PieceMark& mark) {
    DrawMarkSymbol(symbol, mark);
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
    for (int y = 0; y < kMapRows; ++y) WriteLine(ShownRow(CurrentLeft() + shift, CurrentTop() + y));
}

void DrawScrollRows(int shift) {
    for (int y = 0; y < kMapRows; ++y) WriteLine(GridRow(CurrentLeft(), CurrentTop() + shift + y));
    ClearFieldLine();
}

}  // namespace rf
