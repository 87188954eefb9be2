#include "field/map_files.h"

#include <algorithm>
#include <vector>

#include "core/data_files.h"
#include "core/load_log.h"
#include "core/texts.h"
#include "core/token_reader.h"
#include "core/world_about.h"
#include "core/world_file.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "field/missing_file.h"
#include "platform/narration.h"
#include "text/cp932.h"

namespace rf {
namespace {

// Whether a text-mode read drops byte i (a CR before an LF).
bool Dropped(const std::string& raw, std::size_t i) {
    return raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n';
}

// The file's bytes as a text-mode read gives them.
std::string DropCarriageReturns(const std::string& raw) {
    std::string bytes;
    bytes.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (!Dropped(raw, i)) bytes += raw[i];
    return bytes;
}

std::string RowRange(int first, int last) {
    return first == last ? "row " + std::to_string(first)
                         : "rows " + std::to_string(first) + " to " + std::to_string(last);
}

// Where a kind of finding was first seen, and on how many lines.
struct Found {
    std::size_t at = std::string::npos;
    int lines = 0;
};

// Lines that lost blanks and shift the rows after them: one finding for
// all, at the first; `shifts` the rows the first shifts, `allShift` those
// they all do.
void RemarkShortLines(const WorldFile& file, const Found& short_, std::size_t length, std::size_t want,
                      const std::string& shifts, const std::string& allShift) {
    const std::string said = "line is " + std::to_string(length) + " characters long, fewer than the " +
                             std::to_string(want) + " a row holds";
    if (short_.lines == 1) return Remark(file, short_.at, Severity::kError, Rule::kRowLength, said + ": " + shifts);
    Remark(file, short_.at, Severity::kError, Rule::kRowLength,
           said + ", and so are " + std::to_string(short_.lines - 1) + " more lines: " + allShift +
               " (were the blanks at the ends of the lines trimmed on saving? every line needs all " +
               std::to_string(want) + ")");
}

// Tabs, control characters and full-width spaces: once a file, at the first.
void RemarkOddCharacters(const WorldFile& file, const Found& tabs, bool tabsShift, const Found& controls,
                         const Found& wideBlanks, const Found& signBlanks) {
    auto more = [](const Found& f, const char* what) {
        return f.lines > 1 ? " (" + std::string(what) + " on " + std::to_string(f.lines) + " lines, the first here)"
                           : std::string();
    };
    if (tabs.lines > 0)
        Remark(file, tabs.at, tabsShift ? Severity::kError : Severity::kWarning, Rule::kTab,
               "a tab is one wall cell that the terminal does not draw as one" + more(tabs, "tabs") +
                   (tabsShift ? ", and the lines it shortens shift the rows after them" : "") + ": use blanks");
    if (controls.lines > 0)
        Remark(file, controls.at, Severity::kWarning, Rule::kControlCharacter,
               "a control character is a wall cell that cannot be drawn" + more(controls, "control characters"));
    if (wideBlanks.lines > 0)
        Remark(file, wideBlanks.at, Severity::kError, Rule::kFullWidthSpace,
               "a full-width space (U+3000) looks free but is two wall cells: the hero cannot pass it" +
                   more(wideBlanks, "full-width spaces") +
                   "; use two half-width spaces (a full-width character takes two cells)");
    if (signBlanks.lines > 0)
        Remark(file, signBlanks.at, Severity::kWarning, Rule::kFullWidthSpace,
               "a full-width space (U+3000) between a sign's words is two wall cells, as the sign's characters are" +
                   more(signBlanks, "such spaces") +
                   ": the sign stays whole, as it looks; keep it (two half-width spaces would open a hole in the "
                   "sign that the hero walks into)");
}

void Note(Found& f, std::size_t at) { f.at = std::min(f.at, at), ++f.lines; }

// How the bytes the reader takes fall into lines, and which rows of the
// picture do not begin where their line does.
struct PictureLines {
    int lines = 0;
    std::vector<bool> shifted;  // row r does not begin where line r + 1 begins

    // The shifted rows that follow `line` (0-based) at once, "" when the
    // next row is not shifted; with `toTheLast`, on to the last shifted row.
    std::string ShiftedAfter(int line, bool toTheLast) const {
        const int rows = static_cast<int>(shifted.size());
        const int next = line + 1;
        if (next >= rows || !shifted[next]) return std::string();
        int last = next;
        while (last + 1 < rows && (shifted[last + 1] || toTheLast)) ++last;
        while (toTheLast && !shifted[last]) --last;
        return RowRange(next + 1, last + 1) + " are shifted";
    }
};

PictureLines LinesOf(const std::string& bytes, int rows, int columns) {
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && i + 1 < bytes.size()) lineStarts.push_back(i + 1);
    PictureLines out;
    out.lines = bytes.empty() ? 0 : static_cast<int>(lineStarts.size());
    out.shifted.assign(static_cast<std::size_t>(rows), false);
    for (int r = 0; r < rows; ++r) {
        const std::size_t start = static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
        out.shifted[r] = start < bytes.size() && (r >= out.lines || lineStarts[r] != start);
    }
    return out;
}

// What a picture's lines showed, for the findings said once a file.
struct PictureFindings {
    Found tabs, controls, wideBlanks, signBlanks, shortLines;
    bool tabsShift = false;
    int firstShortLine = 0;
    std::size_t firstShortLength = 0;
};

struct ScannedLine {
    bool tab = false;
    std::size_t characters = 0;  // a full-width character counts once
};

// Counts the characters of the line of `length` bytes at `offset` of the
// file's own bytes, and notes its odd ones, each kind once a line.
ScannedLine ScanLine(const std::string& raw, std::size_t offset, std::size_t length, bool blanksAreFree,
                     PictureFindings& found) {
    ScannedLine line;
    bool control = false, wideBlank = false, signBlank = false;
    for (std::size_t i = 0; i < length; ++i, ++line.characters) {
        const auto c = static_cast<unsigned char>(raw[offset + i]);
        if (c == '\t' && !line.tab) line.tab = true, Note(found.tabs, offset + i);
        else if ((c < 0x20 || c == 0x7F) && c != '\t' && !control) control = true, Note(found.controls, offset + i);
        if (IsLeadByte(c) && i + 1 < length) {
            // Between two characters it stands inside a sign, whose characters are walls as it is.
            const bool inSign = i > 0 && raw[offset + i - 1] != ' ' && i + 2 < length && raw[offset + i + 2] != ' ';
            if (c == 0x81 && raw[offset + i + 1] == 0x40 && blanksAreFree && !(inSign ? signBlank : wideBlank))
                (inSign ? signBlank : wideBlank) = true, Note(inSign ? found.signBlanks : found.wideBlanks, offset + i);
            ++i;
        }
    }
    return line;
}

// A line longer than a row is said at once; shorter ones only when they
// shift the rows after them, and then all together (RemarkShortLines). A
// tab is the cause of the length it gives its line.
void CheckLineLength(const WorldFile& file, int line, std::size_t offset, std::size_t length,
                     const ScannedLine& scanned, std::size_t want, const std::string& shifts, PictureFindings& found) {
    if (scanned.tab) {
        found.tabsShift = found.tabsShift || (length != want && !shifts.empty());
    } else if (length > want) {
        const std::string said = scanned.characters == length
                                     ? "line is " + std::to_string(length) + " characters long, "
                                     : "line is " + std::to_string(length) + " cells wide (" +
                                           std::to_string(scanned.characters) +
                                           " characters: a full-width character takes two), ";
        Remark(file, offset + want, Severity::kError, Rule::kRowLength,
               said + "more than the " + std::to_string(want) +
                   " a row holds: " + (!shifts.empty() ? shifts : "the characters from here on are not shown"));
    } else if (length < want && !shifts.empty()) {
        if (found.shortLines.lines == 0) found.firstShortLine = line, found.firstShortLength = length;
        Note(found.shortLines, offset + length);
    }
}

// Too few lines leave the last rows free; too many are not read, from `after` (where reading stopped).
void RemarkLineCount(const WorldFile& file, const std::string& bytes, int lines, int rows, int columns,
                     std::size_t after) {
    if (lines < rows)
        Remark(file, file.bytes.size(), Severity::kWarning, Rule::kTooFewLines,
               "the picture has " + std::to_string(lines) + (lines == 1 ? " line" : " lines") + ", fewer than " +
                   std::to_string(rows) + ": " + RowRange(lines + 1, rows) + " are left free");
    else if (lines > rows && bytes.size() > static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns))
        Remark(file, after, Severity::kWarning, Rule::kTooManyLines,
               "the picture has more than " + std::to_string(rows) + " lines: the lines from here on are not read");
}

// For the world checker: lines of the wrong length and the rows they shift,
// too few or too many lines, and characters that are no picture. One
// finding per cause: tabs, control characters and full-width spaces once a
// file, and lines that all lost their trailing blanks once.
void RemarkPicture(const WorldFile& file, const std::string& bytes, int rows, int columns, bool blanksAreFree) {
    const PictureLines picture = LinesOf(bytes, rows, columns);
    PictureFindings found;
    const std::string& raw = file.bytes;
    const auto want = static_cast<std::size_t>(columns - 1);
    std::size_t offset = 0;  // in the file's own bytes, for the remarks
    for (int line = 0; line < picture.lines && line < rows; ++line) {
        const std::size_t end = raw.find('\n', offset);
        std::size_t length = (end == std::string::npos ? raw.size() : end) - offset;
        if (length > 0 && raw[offset + length - 1] == '\r') --length;
        const ScannedLine scanned = ScanLine(raw, offset, length, blanksAreFree, found);
        CheckLineLength(file, line, offset, length, scanned, want, picture.ShiftedAfter(line, false), found);
        if (end == std::string::npos) break;
        offset = end + 1;
    }
    if (found.shortLines.lines > 0)
        RemarkShortLines(file, found.shortLines, found.firstShortLength, want,
                         picture.ShiftedAfter(found.firstShortLine, false),
                         picture.ShiftedAfter(found.firstShortLine, true));
    RemarkOddCharacters(file, found.tabs, found.tabsShift, found.controls, found.wideBlanks, found.signBlanks);
    RemarkLineCount(file, bytes, picture.lines, rows, columns, offset);
}

// Fills rows x columns cells character by character, without regard to
// lines: a line feed, byte 255 and everything past the end become blanks.
// A file that cannot be read ends the game.
template <typename Cell>
void ReadPicture(const std::string& path, int rows, int columns, bool blanksAreFree, Cell cell) {
    // A CR LF pair takes two bytes for one cell.
    const WorldFile file = ReadWorldFile(path, static_cast<std::size_t>(rows * columns * 2));
    if (!file.Readable()) StopForMissingFile(file);
    const std::string bytes = DropCarriageReturns(file.bytes);
    std::size_t next = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            unsigned char c = ' ';
            if (next < bytes.size()) {
                c = static_cast<unsigned char>(bytes[next++]);
                if (c == '\n' || c == 255) c = ' ';
            }
            cell(x, y) = c;
        }
    }
    if (Remarking()) RemarkPicture(file, bytes, rows, columns, blanksAreFree);
}

// For the world checker: an enemy as its file gives it, against what the game makes of it.
void RemarkEnemy(const WorldFile& file, const FieldEnemy& written, const FieldEnemy& played,
                 const std::size_t (&at)[4]) {
    if (written.kind < kPawn || written.kind > kRook) {
        const int record = static_cast<int>(&EnemyRecordOf(written.kind) - enemyTable.kinds);
        Remark(file, at[0], Severity::kError, Rule::kEnemyKind,
               "kind " + std::to_string(written.kind) +
                   " is not 1 to 4 (Pawn, Knight, Bishop, Rook): the game makes it a " +
                   std::string(kKindNames[record]));
    }
    if (written.groupSize != played.groupSize)
        Remark(file, at[1], Severity::kError, Rule::kGroupSize,
               "group size " + std::to_string(written.groupSize) + " is outside 1 to 7: the game puts up " +
                   std::to_string(played.groupSize));
    if (written.x != played.x || written.y != played.y) {
        Remark(file, at[written.x != played.x ? 2 : 3], Severity::kError, Rule::kCellOffMap,
               "the cell (" + std::to_string(written.x) + ", " + std::to_string(written.y) + ") is outside the map (" +
                   HeroCellsText() + "): the game places the enemy at (" + std::to_string(played.x) + ", " +
                   std::to_string(played.y) + ")");
        return;
    }
    const int top = OriginRow(hero.mapNumber);
    const int left = OriginColumn(hero.mapNumber);
    if (GridCell(left + played.x, top + played.y) != ' ' || GridCell(left + played.x + 1, top + played.y) != ' ')
        Remark(file, at[2], Severity::kWarning, Rule::kOnWall,
               "the enemy at (" + std::to_string(played.x) + ", " + std::to_string(played.y) + ") stands on a wall");
}

}  // namespace

int MapRowOf(int map) { return (map - 1) / kMapsAcross; }
int MapColumnOf(int map) { return (map - 1) % kMapsAcross; }
int OriginRow(int map) { return MapRowOf(map) * kMapRows; }
int OriginColumn(int map) { return MapColumnOf(map) * kMapColumns; }
bool IsMapNumber(int map) { return map >= 1 && map <= kMaps; }

unsigned char GridCell(int gridX, int gridY) {
    if (gridX < 0 || gridX >= WorldGrid::kColumns || gridY < 0 || gridY >= WorldGrid::kRows) return '#';
    return worldGrid.cells[gridY][gridX];
}

LoadToken MapCellSource(const std::string& path, int x, int y) {
    const WorldFile file = ReadWorldFile(path, static_cast<std::size_t>(kMapRows * kMapColumns * 2));
    // The reader fills cells byte by byte from what a text-mode read gives.
    const std::string& raw = file.bytes;
    const auto want = static_cast<std::size_t>(y * kMapColumns + x);
    std::size_t i = 0;
    for (std::size_t taken = 0; i < raw.size() && taken < want; ++i)
        if (!Dropped(raw, i)) ++taken;
    return PositionIn(file, i);
}

void LoadMapForm(std::int16_t world, int n) {
    const int top = OriginRow(n);
    const int left = OriginColumn(n);
    ReadPicture(WorldFilePath({WorldFileKind::kMapForm, n}, world), kMapRows, kMapColumns, true,
                [&](int x, int y) -> unsigned char& { return worldGrid.cells[top + y][left + x]; });
}

namespace {

// The translation in the cells of the text it stands for: blanks after it,
// or cut after its last whole character (`ranks check` tells).
std::string Fitted(std::string_view text, std::size_t cells) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (out.size() + n > cells) break;
        out.append(text.substr(i, n));
        i += n;
    }
    out.resize(cells, ' ');
    return out;
}

// Where each translated text of a map picture stands in the grid: every
// place its picture has it, starting on a character.
void PlaceMapTexts(std::int16_t world) {
    for (int n = 1; n <= kMaps; ++n) {
        const std::string file = WorldFileName({WorldFileKind::kMapForm, n}, world);
        for (const TranslatedText& t : worldTranslation.texts) {
            if (t.context != file) continue;
            for (int y = 0; y < kMapRows; ++y) {
                std::string row(kMapColumns, ' ');
                for (int x = 0; x < kMapColumns; ++x)
                    row[static_cast<std::size_t>(x)] =
                        static_cast<char>(worldGrid.cells[OriginRow(n) + y][OriginColumn(n) + x]);
                for (std::size_t x = 0; x + t.original.size() <= row.size();) {
                    if (row.compare(x, t.original.size(), t.original) == 0) {
                        worldTranslation.overlays.push_back({OriginColumn(n) + static_cast<int>(x), OriginRow(n) + y,
                                                             Fitted(t.translated, t.original.size())});
                        x += t.original.size();
                    } else {
                        x += IsLeadByte(static_cast<unsigned char>(row[x])) ? 2 : 1;
                    }
                }
            }
        }
    }
}

}  // namespace

void LoadMapForms(std::int16_t world) {
    for (int n = 1; n <= kMaps; ++n) LoadMapForm(world, n);
    LoadWorldInfo(WorldFilePath({WorldFileKind::kWorldInfo}, world));
    LoadWorldAbout();
    LoadWorldTranslation();
    PlaceMapTexts(world);
}

void UseLanguage(std::int16_t lang) {
    language = lang;
    platform::SpeakIn(kLanguageCodes[lang]);
    LoadWorldTranslation();
    PlaceMapTexts(worldNumber);
}

unsigned char DrawnCell(int gridX, int gridY) {
    for (const MapOverlay& o : worldTranslation.overlays)
        if (o.gridY == gridY && gridX >= o.gridX && gridX < o.gridX + static_cast<int>(o.text.size()))
            return static_cast<unsigned char>(o.text[static_cast<std::size_t>(gridX - o.gridX)]);
    return GridCell(gridX, gridY);
}

void LoadWorldInfo(const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) StopForMissingFile(reader.File());
    WorldInfo& w = worldInfo;
    const bool all = ReadInto(reader, w.queenMark.map) && ReadInto(reader, w.queenMark.x) &&
                     ReadInto(reader, w.queenMark.y) && ReadInto(reader, w.kingMark.map) &&
                     ReadInto(reader, w.kingMark.x) && ReadInto(reader, w.kingMark.y) &&
                     ReadInto(reader, w.opening.map) && ReadInto(reader, w.opening.x) &&
                     ReadInto(reader, w.opening.unused) && ReadInto(reader, hero.mapNumber);
    // No file exists for a map outside the world: reading its enemy list gives the missing-file stop.
    if (!IsMapNumber(hero.mapNumber) && all && Remarking())
        reader.Remark(Severity::kError, Rule::kStartMap,
                      "the start map " + std::to_string(hero.mapNumber) + " is not " + MapNumbersText() +
                          ": the game stops at once, for " +
                          WorldFileName({WorldFileKind::kEnemyList, hero.mapNumber}, 1) +
                          " is missing; the maps are numbered " + MapNumbersText() + ", row by row from the top left");
}

void LoadMapEnemies(std::int16_t world) {
    FieldEnemyList& list = fieldEnemies;
    for (FieldEnemy& e : list.entries) e = FieldEnemy{};
    list.count = 0;
    ++list.loads;
    if (hero.mapNumber >= 1 && hero.mapNumber <= kMaps)
        journey.mapsVisited |= static_cast<std::uint16_t>(1u << (hero.mapNumber - 1));
    const std::string path = WorldFilePath({WorldFileKind::kEnemyList, hero.mapNumber}, world);
    // A map outside the world has no file, whatever lies in the folder.
    if (!IsMapNumber(hero.mapNumber)) {
        WorldFile none;
        none.name = WorldRelative(path);
        none.problem = platform::FileProblem::kMissing;
        StopForMissingFile(none);
    }
    TokenReader reader(path);
    if (!reader.Opened()) StopForMissingFile(reader.File());
    if (!ReadInto(reader, list.count)) return;
    const std::size_t countAt = reader.TokenStart();
    const std::int16_t given = list.count;
    // The list holds five; a longer file gives its first five, a negative count none.
    list.count = std::clamp<std::int16_t>(list.count, 0, FieldEnemyList::kCapacity);
    if (Remarking() && list.count != given)
        Remark(reader.File(), countAt, Severity::kError, Rule::kEnemyCount,
               "the count " + std::to_string(given) + " is outside 0 to 5: the game reads " +
                   std::to_string(list.count) + (list.count == 0 ? " enemies" : " of them"));
    std::size_t at[FieldEnemyList::kCapacity][4] = {};  // where each number stood, for remarks
    for (int i = 0; i < list.count; ++i) {
        FieldEnemy& e = list.entries[i];
        std::int32_t* fields[4] = {&e.kind, &e.groupSize, &e.x, &e.y};
        bool complete = true;
        for (int f = 0; f < 4 && complete; ++f) {
            complete = ReadInto(reader, *fields[f]);
            at[i][f] = reader.TokenStart();
        }
        if (!complete) break;
    }
    if (const auto extra = Remarking() ? reader.Next() : std::nullopt; extra) {
        // Old editors end a file with Ctrl-Z; the game stops before it as before any text.
        if (*extra == "\x1A")
            reader.Remark(Severity::kNote, Rule::kExtraText, "a Ctrl-Z ends the file: the game does not read it");
        else if (ParseNumber(*extra))
            reader.Remark(
                Severity::kWarning, Rule::kExtraText,
                "the count is " + std::to_string(given) + " but more numbers follow: the game does not read them");
        else reader.Remark(Severity::kWarning, Rule::kExtraText, "text after the list: the game does not read it");
    }
    for (int i = 0; i < list.count; ++i) {
        FieldEnemy& e = list.entries[i];
        if (IsEmptyEntry(e)) {
            if (Remarking() && at[i][3] != 0)
                Remark(reader.File(), at[i][2], Severity::kWarning, Rule::kEmptyEntry,
                       "an enemy at (0, 0) counts as nobody: it is never drawn and never moves");
            continue;
        }
        const FieldEnemy asWritten = e;
        // Keep every enemy on the field and every group within the battle's seven places.
        e.x = std::clamp(e.x, 0, kLastHeroColumn);
        e.y = std::clamp(e.y, 0, kMapRows - 1);
        e.groupSize = std::clamp(e.groupSize, 1, 7);
        if (Remarking()) RemarkEnemy(reader.File(), asWritten, e, at[i]);
    }
}

void LoadMiniMap(std::int16_t world) {
    ReadPicture(WorldFilePath({WorldFileKind::kMiniMap}, world), MiniMapText::kRows, MiniMapText::kColumns, false,
                [](int x, int y) -> unsigned char& { return miniMapText.text[y][x]; });
}

EnemyStatus& EnemyRecordOf(std::int32_t kind) {
    const auto k = static_cast<std::int16_t>(kind);
    if (k == kPawn) return enemyTable.kinds[kPawn - 1];
    if (k <= kKnight) return enemyTable.kinds[kKnight - 1];
    if (k == kBishop) return enemyTable.kinds[kBishop - 1];
    return enemyTable.kinds[kRook - 1];
}

std::string_view EnemySymbolOf(std::int32_t kind) { return EnemyRecordOf(kind).symbol; }

bool IsEmptyEntry(const FieldEnemy& entry) { return entry.x == 0 && entry.y == 0; }

}  // namespace rf
