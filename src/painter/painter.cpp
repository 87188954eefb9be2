#include "painter/painter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "console/compose.h"
#include "console/console.h"
#include "core/texts.h"
#include "core/world_folder.h"
#include "core/world_translation.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "painter/painted_world.h"
#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/keys.h"
#include "platform/player_files.h"
#include "text/cp932.h"
#include "text/sj_literal.h"

namespace rf::painter {
namespace {

namespace keys = platform::keys;

// A key read whole: an extended key as kExtended plus its scan code.
constexpr int kExtended = 0x100;
constexpr int kMessageRow = kScreenRows - 1;
constexpr int kStatusRow = kMapRows;
constexpr int kModeColumn = 40;
constexpr int kPanelLeft = kMapColumns + 1;
constexpr int kPanelTop = 8;
constexpr int kPanelWidth = kScreenColumns - kPanelLeft - 1;
constexpr std::size_t kUndoDepth = 1000;
// How the painter marks cells over the field's own drawing.
constexpr std::uint16_t kCursorLook = 0x70;
constexpr std::uint16_t kBlockLook = 0x1F;
constexpr std::uint16_t kFindingLook = 0x4F;
constexpr std::uint16_t kStripLook = kPlain | platform::kUnderscore;

enum class Mode { kPaint, kText, kBlock, kMoving };

// A finding of the checker, at the cell it stands for (map 0: the world's).
struct Finding {
    int map = 0, x = -1, y = -1;
    std::string code, said;  // said: code page 932
};

struct Painter {
    PainterSetup setup;
    PaintedWorld world;
    int map = 1, x = 0, y = 0;
    Mode mode = Mode::kPaint;
    std::string brush = "#";
    Block block;
    std::vector<std::string> clip;
    int moving = -1;
    std::vector<WorldState> undo, redo;
    std::vector<Finding> findings;
    WorldState checked;  // the world the findings are of
    std::size_t nextFinding = 0;
    std::string message;  // row 24, code page 932; the keys when empty
    EnemyTable kinds;     // the symbols, as the world's files give them
    MiniMapText miniMap;
    std::int16_t language = 0;
};

WorldState& Now(Painter& p) { return p.world.now; }

std::string Place(int map, int x, int y) {
    return std::to_string(map) + "," + std::to_string(x) + "," + std::to_string(y);
}

// The checker's finding at the cell of the map it stands on: a picture's
// at its line and cell, an enemy list's at its group, the world file's at
// the mark, the strip or the start, the hero file's at the start.
Finding FindingOf(const LoadRemark& r, const WorldState& s) {
    Finding f{0, -1, -1, std::string(RuleCode(r.rule)),
              Utf8ToCp932(r.file + ":" + std::to_string(r.line) + ": " + r.message)};
    for (int n = 1; n <= kMaps; ++n) {
        if (r.file == WorldFileName({WorldFileKind::kMapForm, n})) {
            f.map = n, f.x = std::clamp(r.column - 1, 0, kPaintedColumns - 1),
            f.y = std::clamp(r.line - 1, 0, kMapRows - 1);
            return f;
        }
        if (r.file != WorldFileName({WorldFileKind::kEnemyList, n})) continue;
        f.map = n;
        const auto& list = s.enemies[n - 1];
        if (const int entry = r.line - 2; entry >= 0 && entry < static_cast<int>(list.size()))
            f.x = list[static_cast<std::size_t>(entry)].x, f.y = list[static_cast<std::size_t>(entry)].y;
        return f;
    }
    const PieceMark* marks[] = {&s.info.queenMark, &s.info.kingMark};
    if (r.file == WorldFileName({WorldFileKind::kWorldInfo}) && r.line >= 1 && r.line <= 2) {
        const PieceMark& m = *marks[r.line - 1];
        f.map = m.map, f.x = m.x - 1, f.y = m.y - 1;
    } else if (r.file == WorldFileName({WorldFileKind::kWorldInfo}) && r.line == 3) {
        f.map = s.info.opening.map, f.x = s.info.opening.x - 1, f.y = 0;
    } else if (r.file == WorldFileName({WorldFileKind::kWorldInfo}) ||
               r.file == WorldFileName({WorldFileKind::kHero})) {
        f.map = s.startMap, f.x = s.startX, f.y = s.startY;
    }
    if (!IsMapNumber(f.map)) f.map = 0;
    if (f.x < 0 || f.x >= kMapColumns || f.y < 0 || f.y >= kMapRows) f.x = f.y = -1;
    return f;
}

// The checker's findings for the world as painted, saved or not.
void Check(Painter& p) {
    p.findings.clear();
    p.checked = Now(p);
    if (!p.setup.check) return;
    const authoring::CheckResult result = p.setup.check(p.world.dir, UnsavedFiles(p.world));
    // The check starts from a clean game: the painter's own records come back.
    dataRoot = p.world.dir;
    language = p.language;
    for (const LoadRemark& r : result.remarks)
        if (r.severity != Severity::kNote) p.findings.push_back(FindingOf(r, Now(p)));
    if (p.nextFinding >= p.findings.size()) p.nextFinding = 0;
}

// The painter's world in the game's records, for the field's drawing.
void PutRecords(const Painter& p) {
    const WorldState& s = p.world.now;
    for (int n = 1; n <= kMaps; ++n)
        for (int y = 0; y < kMapRows; ++y)
            std::memcpy(&worldGrid.cells[OriginRow(n) + y][OriginColumn(n)], s.cells[n - 1][y], kMapColumns);
    // The world's own words are painted, not a translation of them.
    worldTranslation.overlays.clear();
    worldInfo = s.info;
    enemyTable = p.kinds;
    miniMapText = p.miniMap;
    hero.mapNumber = static_cast<std::int16_t>(p.map);
    hero.fieldX = static_cast<std::int16_t>(s.startX);
    hero.fieldY = static_cast<std::int16_t>(s.startY);
    const auto& list = s.enemies[p.map - 1];
    fieldEnemies = FieldEnemyList{};
    fieldEnemies.count = static_cast<std::int16_t>(std::min<std::size_t>(list.size(), FieldEnemyList::kCapacity));
    std::copy_n(list.begin(), fieldEnemies.count, fieldEnemies.entries);
    pieceMarkOnScreen = false;
}

// What the screen shows at a cell of the map: the hero, an enemy or a mark
// standing there, else the map's character; its first column and bytes.
CellCharacter ShownAt(const Painter& p, int x, int y) {
    const WorldState& s = p.world.now;
    auto covers = [&](int at, std::size_t width) {
        return x >= at && x < at + static_cast<int>(std::max<std::size_t>(width, 2));
    };
    if (p.map == s.startMap && y == s.startY && covers(s.startX, 2)) return {s.startX, std::string("●"_sj)};
    for (const FieldEnemy& e : s.enemies[p.map - 1]) {
        const std::string_view symbol = EnemySymbolOf(e.kind);
        if (!IsEmptyEntry(e) && e.y == y && covers(e.x, symbol.size())) return {e.x, std::string(symbol)};
    }
    const PieceMark* marks[] = {&s.info.queenMark, &s.info.kingMark};
    for (int i = 0; i < 2; ++i) {
        const std::string_view symbol = p.kinds.kinds[(i == 0 ? kQueen : kKing) - 1].symbol;
        if (marks[i]->map == p.map && marks[i]->y - 1 == y && covers(marks[i]->x - 1, symbol.size()))
            return {marks[i]->x - 1, std::string(symbol)};
    }
    return CharacterAt(s, p.map, x, y);
}

void Mark(const Painter& p, int x, int y, std::uint16_t look) {
    const CellCharacter c = ShownAt(p, x, y);
    MoveTo(c.x, y);
    SetTextAttribute(look);
    Write(c.bytes);
    SetTextAttribute(kPlain);
}

void DrawMarks(const Painter& p) {
    const WorldState& s = p.world.now;
    // The field draws the Queen's mark, or the King's, as entering the map does.
    const PieceMark* marks[] = {&s.info.queenMark, &s.info.kingMark};
    for (int i = 0; i < 2; ++i)
        if (marks[i]->map == p.map) {
            DrawPieceMark(p.kinds.kinds[(i == 0 ? kQueen : kKing) - 1].symbol, *marks[i]);
            break;
        }
    // The strip's walls, which give way once a marked map is entered.
    if (s.info.opening.map == p.map)
        for (int y = 0; y < 2; ++y)
            for (int x = std::max(0, s.info.opening.x - 1); x <= s.info.opening.x + 8 && x < kPaintedColumns; ++x)
                Mark(p, x, y, kStripLook);
}

void DrawStatus(const Painter& p) {
    MoveTo(0, kStatusRow);
    WriteSpaces(kScreenColumns - 1);
    MoveTo(0, kStatusRow);
    const CellCharacter c = CharacterAt(p.world.now, p.map, p.x, p.y);
    std::string shown = c.bytes;
    for (char& b : shown)
        if (static_cast<unsigned char>(b) < 0x20 || b == 0x7F) b = '?';
    Write(ComposeWithName(Text(TextId::kPainterCell), Place(p.map, p.x, p.y)) + "  [" + shown + "] " +
          ComposeWithNumber(Text(TextId::kPainterWidth), static_cast<std::int32_t>(c.bytes.size())));
    if (const int e = EnemyAt(p.world.now, p.map, p.x, p.y); e >= 0) {
        const FieldEnemy& enemy = p.world.now.enemies[p.map - 1][static_cast<std::size_t>(e)];
        Write("  " + std::string(EnemySymbolOf(enemy.kind)) + "x" + std::to_string(enemy.groupSize));
    } else if (const CellCharacter standing = ShownAt(p, p.x, p.y); standing.bytes != c.bytes) {
        // The hero or a mark standing on the cell, over the map's character.
        Write("  " + standing.bytes);
    }
    MoveTo(kModeColumn, kStatusRow);
    if (p.mode == Mode::kText) Write(Text(TextId::kPainterTyping));
    if (p.mode == Mode::kBlock) Write(Text(TextId::kPainterBlockMode));
    if (p.mode == Mode::kMoving) Write(Text(TextId::kPainterMoving));
}

void DrawHelp(const Painter& p) {
    const TextId rows[] = {TextId::kPainterHelpMove, TextId::kPainterHelpBlock, TextId::kPainterHelpPieces};
    for (int i = 0; i < 3; ++i) {
        MoveTo(0, kStatusRow + 1 + i);
        Write(Text(rows[i]));
    }
    MoveTo(0, kMessageRow);
    const std::string_view line = p.message.empty() ? Text(TextId::kPainterHelpWorld) : std::string_view(p.message);
    Write(line.substr(0, WholeCharacters(line, kScreenColumns - 1)));
}

void DrawFindings(const Painter& p) {
    int shown = 0, row = kPanelTop + 1;
    for (const Finding& f : p.findings) {
        if (f.map != p.map) continue;
        ++shown;
        if (f.x >= 0) Mark(p, f.x, f.y, kFindingLook);
        if (row >= kMapRows) continue;
        MoveTo(kPanelLeft, row++);
        const std::string line = (f.x >= 0 ? std::to_string(f.x) + "," + std::to_string(f.y) + " " : "") + f.code;
        Write(line.substr(0, static_cast<std::size_t>(kPanelWidth)));
    }
    MoveTo(kPanelLeft, kPanelTop);
    Write(ComposeWithNumber(Text(TextId::kPainterFindings), shown));
}

void Draw(const Painter& p) {
    PutRecords(p);
    HideCursor();
    SetTextAttribute(kPlain);
    ClearScreen();
    DrawField();
    if (p.map != p.world.now.startMap) {
        // The hero stands on the start map alone.
        const int hx = hero.fieldX, hy = hero.fieldY;
        hero.fieldY = -1;
        RestoreFieldCells(hx, hy, 2);
    }
    DrawMarks(p);
    DrawMiniMapFrame();
    DrawMiniMap();
    DrawMiniMapMark();
    SetTextAttribute(kPlain);
    DrawFindings(p);
    if (p.mode == Mode::kBlock)
        for (int y = std::min(p.block.y0, p.block.y1); y <= std::max(p.block.y0, p.block.y1); ++y)
            for (int x = std::min(p.block.x0, p.block.x1); x <= std::max(p.block.x0, p.block.x1); ++x)
                Mark(p, x, y, kBlockLook);
    Mark(p, p.x, p.y, kCursorLook);
    DrawStatus(p);
    DrawHelp(p);
    // The mark alone shows the cursor: a terminal's own block cursor would
    // draw the marked cell's colours reversed, back to plain. It is left on
    // the cell all the same, where an input method puts its window.
    MoveTo(p.x, p.y);
}

int ReadPainterKey() {
    const int code = platform::ReadKey();
    if (code == keys::kPrefix || code == keys::kFunctionPrefix) return kExtended + platform::ReadKey();
    return code;
}

// Asks on the message row: 'y', 'n' or Escape.
int Ask(Painter& p, std::string question) {
    p.message = std::move(question);
    for (;;) {
        Draw(p);
        const int key = ReadPainterKey();
        if (key == 'y' || key == 'Y' || key == 'n' || key == 'N' || key == keys::kEscape) {
            p.message.clear();
            return key == keys::kEscape ? key : key | 0x20;
        }
    }
}

// An edit: undone as a whole, and kept only when it changed something.
template <typename F>
void Edit(Painter& p, F change) {
    WorldState before = Now(p);
    change(Now(p));
    if (SameState(before, Now(p))) return;
    p.undo.push_back(std::move(before));
    if (p.undo.size() > kUndoDepth) p.undo.erase(p.undo.begin());
    p.redo.clear();
}

void Step(Painter& p, int dx, int dy) {
    p.x += dx, p.y += dy;
    // Over the edge into the neighbouring map, as the hero walks.
    const int column = MapColumnOf(p.map), row = MapRowOf(p.map);
    if (p.x < 0) p.x = column > 0 ? (--p.map, kPaintedColumns - 1) : 0;
    if (p.x >= kPaintedColumns) p.x = column + 1 < kMapsAcross ? (++p.map, 0) : kPaintedColumns - 1;
    if (p.y < 0) p.y = row > 0 ? (p.map -= kMapsAcross, kMapRows - 1) : 0;
    if (p.y >= kMapRows) p.y = row + 1 < kMapsDown ? (p.map += kMapsAcross, 0) : kMapRows - 1;
    if (p.mode == Mode::kBlock) p.block.x1 = p.x, p.block.y1 = p.y;
}

// The arrows, and h j k l but while text is typed.
bool Arrow(Painter& p, int key) {
    if (p.mode != Mode::kText) switch (key) {
            case 'h': Step(p, -1, 0); return true;
            case 'j': Step(p, 0, 1); return true;
            case 'k': Step(p, 0, -1); return true;
            case 'l': Step(p, 1, 0); return true;
            default: break;
        }
    switch (key) {
        case kExtended + keys::kUp: Step(p, 0, -1); return true;
        case kExtended + keys::kDown: Step(p, 0, 1); return true;
        case kExtended + keys::kLeft: Step(p, -1, 0); return true;
        case kExtended + keys::kRight: Step(p, 1, 0); return true;
        default: return false;
    }
}

// A character put at the cursor, which moves past it; a typed one is put
// again by Enter and fills a block.
void Type(Painter& p, const std::string& character, bool typed = true) {
    if (p.x + static_cast<int>(character.size()) > kPaintedColumns) {
        p.message = Text(TextId::kPainterNoRoom);
        return;
    }
    Edit(p, [&](WorldState& s) { PutCharacter(s, p.map, p.x, p.y, character); });
    if (typed) p.brush = character;
    for (std::size_t i = 0; i < character.size(); ++i) Step(p, 1, 0);
}

// The code page 932 bytes of a typed key; empty when it is no character.
std::string TypedCharacter(Painter& p, int key) {
    if (key >= 0x20 && key < 0x7F) return std::string(1, static_cast<char>(key));
    if (key < keys::kTypedCharacter) return std::string();
    const int code = Cp932CodeOf(static_cast<std::uint32_t>(key - keys::kTypedCharacter));
    if (code < 0) {
        p.message = Text(TextId::kPainterNoCharacter);
        return std::string();
    }
    std::string out;
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return out;
}

void TextKey(Painter& p, int key) {
    if (key == keys::kEnter || key == keys::kEscape) {
        p.mode = Mode::kPaint;
        platform::TakeText(false);
    } else if (key == keys::kBackspace) {
        Step(p, -1, 0);
        Edit(p, [&](WorldState& s) { PutCharacter(s, p.map, p.x, p.y, " "); });
    } else if (const std::string c = TypedCharacter(p, key); !c.empty()) {
        Type(p, c);
    }
}

void BlockKey(Painter& p, int key) {
    const Block b = p.block;
    const int map = p.map;
    if (key == 'y' || key == 'x') p.clip = CopyBlock(Now(p), map, b);
    if (key == 'f') Edit(p, [&](WorldState& s) { FillBlock(s, map, b, p.brush); });
    if (key == 'd' || key == 'x') Edit(p, [&](WorldState& s) { FillBlock(s, map, b, " "); });
    if (key == 'f' || key == 'd' || key == 'x' || key == 'y' || key == 'v' || key == keys::kEscape)
        p.mode = Mode::kPaint;
}

void Toggle(PieceMark& mark, int map, int x, int y) {
    const PieceMark here{static_cast<std::int16_t>(map), static_cast<std::int16_t>(x + 1),
                         static_cast<std::int16_t>(y + 1)};
    mark = mark.map == here.map && mark.x == here.x && mark.y == here.y ? PieceMark{} : here;
}

void EnemyKey(Painter& p, int key) {
    const int at = EnemyAt(Now(p), p.map, p.x, p.y);
    auto& list = Now(p).enemies[p.map - 1];
    if (key == 'e' && at < 0 && list.size() >= FieldEnemyList::kCapacity) {
        p.message = Text(TextId::kPainterFiveGroups);
        return;
    }
    const int map = p.map, x = p.x, y = p.y;
    Edit(p, [&](WorldState& s) {
        auto& enemies = s.enemies[map - 1];
        if (key == 'e' && at < 0) enemies.push_back({kPawn, 1, x, y});
        if (at < 0) return;
        FieldEnemy& e = enemies[static_cast<std::size_t>(at)];
        if (key == 'e') e.kind = e.kind % kRook + 1;
        if (key == '+') e.groupSize = std::min(e.groupSize + 1, 7);
        if (key == '-') e.groupSize = std::max(e.groupSize - 1, 1);
        if (key == 'E') enemies.erase(enemies.begin() + at);
    });
    if (key == 'M' && at >= 0) p.mode = Mode::kMoving, p.moving = at;
}

void PieceKey(Painter& p, int key) {
    const int map = p.map, x = p.x, y = p.y;
    Edit(p, [&](WorldState& s) {
        if (key == 'Q') Toggle(s.info.queenMark, map, x, y);
        if (key == 'K') Toggle(s.info.kingMark, map, x, y);
        if (key == 'S') {
            const bool here = s.info.opening.map == map && s.info.opening.x == x + 1;
            s.info.opening.map = static_cast<std::int16_t>(here ? 0 : map);
            s.info.opening.x = static_cast<std::int16_t>(here ? 0 : x + 1);
        }
        if (key == 'H') s.startMap = map, s.startX = std::min(x, kLastHeroColumn), s.startY = y;
    });
}

bool Save(Painter& p) {
    const std::size_t changed = ChangedFiles(p.world).size();
    if (changed == 0) {
        p.message = Text(TextId::kPainterNothingChanged);
        return true;
    }
    if (const auto onDisk = ChangedOnDisk(p.world); !onDisk.empty())
        if (Ask(p, ComposeWithName(Text(TextId::kPainterChangedOnDisk), onDisk.front())) != 'y') return false;
    std::string problem;
    if (!SavePaintedWorld(p.world, problem)) {
        p.message = ComposeWithName(Text(TextId::kPainterNotSaved), Utf8ToCp932(problem));
        return false;
    }
    p.message = ComposeWithNumber(Text(TextId::kPainterSaved), static_cast<std::int32_t>(changed));
    return true;
}

// The level to play at: digits, then Enter; 0 for the hero file's, -1 when the author let it be.
int AskLevel(Painter& p) {
    std::string typed;
    for (;;) {
        p.message = ComposeWithName(Text(TextId::kPainterLevel), typed);
        Draw(p);
        const int key = ReadPainterKey();
        if (key == keys::kEscape) return -1;
        if (key == keys::kEnter) return typed.empty() ? 0 : std::max(1, std::stoi(typed));
        if (key == keys::kBackspace && !typed.empty()) typed.pop_back();
        if (key >= '0' && key <= '9' && typed.size() < 2) typed += static_cast<char>(key);
    }
}

void Play(Painter& p) {
    const int level = AskLevel(p);
    p.message.clear();
    if (level < 0) return;
    // Unsaved edits are played from a copy of the world as a save would
    // leave it, removed after: the author's files stay as they are.
    std::string copy, problem;
    if (Unsaved(p.world) &&
        ((copy = platform::MakeTemporaryFolder(problem)).empty() || !CopyAsSaved(p.world, copy, problem))) {
        platform::RemoveTemporaryFolder(copy);
        p.message = ComposeWithName(Text(TextId::kPainterNoCopy), Utf8ToCp932(problem));
        return;
    }
    std::vector<std::string> command = {p.setup.program, "--world", copy.empty() ? p.world.dir : copy, "--start",
                                        Place(p.map, std::min(p.x, kLastHeroColumn), p.y)};
    if (level > 0) command.insert(command.end(), {"--level", std::to_string(level)});
    command.push_back("--no-save");
    if (!p.setup.language.empty()) command.insert(command.end(), {"--lang", p.setup.language});
    const int status = p.setup.play ? p.setup.play(command) : platform::RunInConsole(command);
    if (!copy.empty()) platform::RemoveTemporaryFolder(copy);
    p.message = status < 0 ? std::string(Text(TextId::kPainterCannotPlay))
                           : ComposeWithNumber(Text(TextId::kPainterPlayed), status);
}

// The next finding in the checker's order: the cursor goes to its cell (a
// finding of the whole world moves it nowhere), its words on the last row.
void NextFinding(Painter& p) {
    if (p.findings.empty()) return;
    const Finding& f = p.findings[p.nextFinding];
    p.nextFinding = (p.nextFinding + 1) % p.findings.size();
    if (f.map != 0) p.map = f.map;
    if (f.x >= 0) p.x = std::min(f.x, kPaintedColumns - 1), p.y = f.y;
    p.message = f.code + " " + f.said;
}

// False once the author quits.
bool Quit(Painter& p) {
    if (ChangedFiles(p.world).empty()) return false;
    const int answer = Ask(p, std::string(Text(TextId::kPainterQuitUnsaved)));
    if (answer == 'n') return false;
    return answer == 'y' ? !Save(p) : true;
}

void Undo(Painter& p, std::vector<WorldState>& from, std::vector<WorldState>& to) {
    if (from.empty()) return;
    to.push_back(Now(p));
    Now(p) = std::move(from.back());
    from.pop_back();
}

bool PaintKey(Painter& p, int key) {
    const int map = p.map, x = p.x, y = p.y;
    switch (key) {
        case kExtended + keys::kPageUp: p.map = p.map > 1 ? p.map - 1 : kMaps; break;
        case kExtended + keys::kPageDown: p.map = p.map % kMaps + 1; break;
        case 'i':
            p.mode = Mode::kText;
            platform::TakeText(true);
            break;
        case keys::kSpace: Type(p, " ", false); break;
        case keys::kEnter: Type(p, p.brush, false); break;
        case 'v':
            p.mode = Mode::kBlock;
            p.block = {x, y, x, y};
            break;
        case 'p': Edit(p, [&](WorldState& s) { PasteBlock(s, map, x, y, p.clip); }); break;
        case 'd': Edit(p, [&](WorldState& s) { PutCharacter(s, map, x, y, " "); }); break;
        case 'u': Undo(p, p.undo, p.redo); break;
        case 'r': Undo(p, p.redo, p.undo); break;
        case 'e':
        case '+':
        case '-':
        case 'E':
        case 'M': EnemyKey(p, key); break;
        case 'Q':
        case 'K':
        case 'S':
        case 'H': PieceKey(p, key); break;
        case 'n': NextFinding(p); break;
        case 's': Save(p); break;
        case 'P': Play(p); break;
        case 'q':
        case keys::kEscape: return Quit(p);
        default:
            if (key >= '1' && key <= '9') p.map = key - '0';
            break;
    }
    return true;
}

bool Handle(Painter& p, int key) {
    p.message.clear();
    if (Arrow(p, key)) return true;
    switch (p.mode) {
        case Mode::kText: TextKey(p, key); return true;
        case Mode::kBlock: BlockKey(p, key); return true;
        case Mode::kMoving:
            if (key == 'M') {
                const int at = p.moving, map = p.map, x = std::min(p.x, kLastHeroColumn), y = p.y;
                Edit(p, [&](WorldState& s) {
                    FieldEnemy& e = s.enemies[map - 1][static_cast<std::size_t>(at)];
                    e.x = x, e.y = y;
                });
            }
            if (key == 'M' || key == keys::kEscape) p.mode = Mode::kPaint;
            return true;
        case Mode::kPaint: return PaintKey(p, key);
    }
    return true;
}

}  // namespace

int RunPainter(const PainterSetup& setup) {
    Painter p;
    p.setup = setup;
    p.language = language;
    std::string problem;
    if (!LoadPaintedWorld(setup.dir, p.world, problem)) return 2;
    p.kinds = enemyTable;
    p.miniMap = miniMapText;
    const WorldState& s = p.world.now;
    p.map = IsMapNumber(s.startMap) ? s.startMap : 1;
    p.x = std::clamp(s.startX, 0, kPaintedColumns - 1);
    p.y = std::clamp(s.startY, 0, kMapRows - 1);
    Check(p);
    for (;;) {
        Draw(p);
        // The findings follow the edits, checked once the keys typed ahead
        // are handled: the edit is on the screen before the check runs.
        if (!SameState(p.checked, Now(p)) && !platform::KeyWaiting()) {
            Check(p);
            Draw(p);
        }
        // A map moved to while a group is carried keeps the group on its own map.
        const int map = p.map;
        if (!Handle(p, ReadPainterKey())) break;
        if (p.mode == Mode::kMoving && p.map != map) p.mode = Mode::kPaint;
    }
    platform::TakeText(false);
    HideCursor();
    return 0;
}

bool AskToMakeWorld() {
    HideCursor();
    SetTextAttribute(kPlain);
    ClearScreen();
    MoveTo(0, kScreenRows / 2);
    Write(Text(TextId::kPainterMakeWorld));
    for (;;) {
        const int key = ReadPainterKey();
        if (key == 'y' || key == 'Y') return true;
        if (key == 'n' || key == 'N' || key == keys::kEscape) return false;
    }
}

}  // namespace rf::painter
