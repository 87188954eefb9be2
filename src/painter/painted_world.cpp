#include "painter/painted_world.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "authoring/world_check.h"
#include "core/data_files.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "core/world_translation.h"
#include "field/map_files.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/player_files.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::painter {
namespace {

constexpr std::size_t kFileLimit = 1024 * 1024;
// Beyond what any loader reads: a copy cut there reads as the file does.
constexpr std::size_t kCopyLimit = 4 * kFileLimit;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A file's path in `dir` from its name there ('/' between folders).
std::string PathIn(const std::string& dir, std::string_view name) {
    std::string path = dir.empty() || dir.back() == platform::PathSeparator() ? dir : dir + platform::PathSeparator();
    for (char c : name) path += c == '/' ? platform::PathSeparator() : c;
    return path;
}

std::string PathOf(const std::string& dir, WorldFileId id) { return PathIn(dir, WorldFileName(id)); }

// A file of the play-test's copy written whole, its folders made.
bool WriteCopy(const std::string& folder, std::string_view name, const std::string& bytes, std::string& problem) {
    const std::string path = PathIn(folder, name);
    bool taken = false;
    if (!platform::PrepareUserDataDirectory(path.substr(0, path.rfind(platform::PathSeparator())), problem))
        return false;
    std::FILE* out = platform::OpenOutputFile(path, true, taken, problem);
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) == 0 && written) return true;
    problem = path + ": not written whole";
    return false;
}

bool SameInfo(const WorldInfo& a, const WorldInfo& b) {
    auto mark = [](const PieceMark& p, const PieceMark& q) { return p.map == q.map && p.x == q.x && p.y == q.y; };
    return mark(a.queenMark, b.queenMark) && mark(a.kingMark, b.kingMark) && a.opening.map == b.opening.map &&
           a.opening.x == b.opening.x && a.opening.unused == b.opening.unused;
}

bool SameEnemies(const std::vector<FieldEnemy>& a, const std::vector<FieldEnemy>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const FieldEnemy& p, const FieldEnemy& q) {
        return p.kind == q.kind && p.groupSize == q.groupSize && p.x == q.x && p.y == q.y;
    });
}

bool Changed(const KeptFile& file, const WorldState& a, const WorldState& b) {
    const int i = file.id.index - 1;
    switch (file.id.kind) {
        case WorldFileKind::kMapForm: return std::memcmp(a.cells[i], b.cells[i], sizeof a.cells[i]) != 0;
        case WorldFileKind::kEnemyList: return !SameEnemies(a.enemies[i], b.enemies[i]);
        case WorldFileKind::kWorldInfo: return !SameInfo(a.info, b.info) || a.startMap != b.startMap;
        case WorldFileKind::kHero: return a.startX != b.startX || a.startY != b.startY;
        default: return false;
    }
}

// A file written in UTF-8 stays so, one in code page 932 too; one in plain
// ASCII takes what the world's pictures are written in.
bool WritesUtf8(const PaintedWorld& world, const KeptFile& file) {
    if (!file.exists) return world.utf8World;
    if (IsUtf8Text(file.raw, false)) return true;
    return std::none_of(file.raw.begin(), file.raw.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
           world.utf8World;
}

std::string LineEnd(const std::string& raw) { return raw.find("\r\n") != std::string::npos ? "\r\n" : "\n"; }

// The file's lines, each with its end ("" for a last line without one).
std::vector<std::string> LinesOf(const std::string& raw) {
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < raw.size();) {
        const std::size_t end = raw.find('\n', from);
        const std::size_t next = end == std::string::npos ? raw.size() : end + 1;
        lines.push_back(raw.substr(from, next - from));
        from = next;
    }
    return lines;
}

// A painted row as stored: its cells, a lead byte in the last one (whose
// pair would be the line's end) a blank.
std::string RowText(const unsigned char (&cells)[kMapColumns]) {
    std::string row(reinterpret_cast<const char*>(cells), kPaintedColumns);
    if (IsLeadByte(static_cast<unsigned char>(row.back()))) {
        std::size_t i = 0;
        while (i + 1 < row.size()) i += IsLeadByte(static_cast<unsigned char>(row[i])) ? 2 : 1;
        if (i == row.size() - 1) row.back() = ' ';
    }
    return row;
}

std::string PictureBytes(const std::string& raw, bool utf8, const std::string& eol,
                         const unsigned char (&cells)[kMapRows][kMapColumns]) {
    const std::vector<std::string> lines = LinesOf(raw);
    std::string out;
    for (int r = 0; r < kMapRows; ++r) {
        const std::string row = RowText(cells[r]);
        const auto at = static_cast<std::size_t>(r);
        std::string ending = eol;
        if (at < lines.size()) {
            std::string content = lines[at];
            ending.clear();
            while (!content.empty() && (content.back() == '\n' || content.back() == '\r'))
                ending.insert(ending.begin(), content.back()), content.pop_back();
            if ((utf8 ? Utf8ToCp932(content) : content) == row) {
                out += lines[at];
                continue;
            }
            if (ending.empty() && at + 1 < static_cast<std::size_t>(kMapRows)) ending = eol;
        }
        if (r == 0 && raw.starts_with(kByteOrderMark)) out += kByteOrderMark;
        out += utf8 ? Cp932ToUtf8(row) : row;
        out += ending;
    }
    for (std::size_t i = kMapRows; i < lines.size(); ++i) out += lines[i];
    return out;
}

// Where each word of a file stands (split at ASCII blanks, which no
// character of either encoding holds), the first `most`.
struct Word {
    std::size_t at = 0, length = 0;
};
std::vector<Word> WordsOf(const std::string& raw, std::size_t most) {
    std::vector<Word> words;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (std::size_t i = 0; i < raw.size() && words.size() < most;) {
        if (blank(raw[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < raw.size() && !blank(raw[end])) ++end;
        words.push_back({i, end - i});
        i = end;
    }
    return words;
}

// The file with the numbers from word `first` on put in, every other byte
// (the notes after the values, the layout) as it was; the file made anew
// from `whole` when it holds too few words.
std::string WithNumbers(const std::string& raw, std::size_t first, const std::vector<int>& numbers,
                        const std::string& whole) {
    const std::vector<Word> words = WordsOf(raw, first + numbers.size());
    if (words.size() < first + numbers.size()) return whole;
    std::string out = raw;
    for (std::size_t k = numbers.size(); k-- > 0;)
        out.replace(words[first + k].at, words[first + k].length, std::to_string(numbers[k]));
    return out;
}

std::string ListBytes(const std::string& raw, const std::vector<FieldEnemy>& enemies, const std::string& eol) {
    std::string list = std::to_string(enemies.size());
    for (const FieldEnemy& e : enemies)
        list += eol + std::to_string(e.kind) + " " + std::to_string(e.groupSize) + " " + std::to_string(e.x) + " " +
                std::to_string(e.y);
    // The words the game read make way for the new list; what follows them stays.
    const std::vector<Word> count = WordsOf(raw, 1);
    int read = 0;
    if (!count.empty()) read = std::clamp(std::atoi(raw.substr(count[0].at, count[0].length).c_str()), 0, 5);
    const std::size_t words = 1 + 4 * static_cast<std::size_t>(read);
    const std::vector<Word> all = WordsOf(raw, words);
    if (all.size() < words) return list + eol;
    return list + raw.substr(all.back().at + all.back().length);
}

std::string InfoBytes(const std::string& raw, const WorldState& s, const std::string& eol) {
    const PieceMark& q = s.info.queenMark;
    const PieceMark& k = s.info.kingMark;
    const OpeningStrip& o = s.info.opening;
    const std::vector<int> numbers = {q.map, q.x, q.y, k.map, k.x, k.y, o.map, o.x, o.unused, s.startMap};
    std::string whole;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        whole += std::to_string(numbers[i]) + (i % 3 == 2 || i + 1 == numbers.size() ? eol : " ");
    return WithNumbers(raw, 0, numbers, whole);
}

// The hero file with its start cell's two numbers put in.
std::string HeroBytes(const std::string& raw, const WorldState& s, const std::string& eol) {
    std::string whole = raw;
    if (!whole.empty() && whole.back() != '\n') whole += eol;
    whole += std::to_string(s.startX) + " " + std::to_string(s.startY) + eol;
    return WithNumbers(raw, kHeroStartColumn, {s.startX, s.startY}, whole);
}

// The start and the end column of the character covering cell x of a row.
int StartOf(const unsigned char (&row)[kMapColumns], int x) {
    for (int i = 0; i < kMapColumns;) {
        const int n = IsLeadByte(row[i]) && i + 1 < kMapColumns ? 2 : 1;
        if (i + n > x) return i;
        i += n;
    }
    return x;
}

void Blank(unsigned char (&row)[kMapColumns], int x) {
    const int s = StartOf(row, x);
    const int n = IsLeadByte(row[s]) && s + 1 < kMapColumns ? 2 : 1;
    for (int i = s; i < s + n; ++i) row[i] = ' ';
}

int Left(Block b) { return std::max(0, std::min(b.x0, b.x1)); }
int Right(Block b) { return std::min(kPaintedColumns - 1, std::max(b.x0, b.x1)); }
int Top(Block b) { return std::max(0, std::min(b.y0, b.y1)); }
int Bottom(Block b) { return std::min(kMapRows - 1, std::max(b.y0, b.y1)); }

void ReadStateFromRecords(WorldState& s, bool (&forms)[kMaps]) {
    for (int n = 1; n <= kMaps; ++n)
        for (int y = 0; y < kMapRows; ++y)
            for (int x = 0; x < kMapColumns; ++x)
                s.cells[n - 1][y][x] = forms[n - 1] ? worldGrid.cells[OriginRow(n) + y][OriginColumn(n) + x]
                                                    : static_cast<unsigned char>(' ');
}

}  // namespace

bool LoadPaintedWorld(const std::string& dir, PaintedWorld& world, std::string& problem) {
    problem = WorldFolderProblem(dir);
    if (!problem.empty()) return false;
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    const std::int16_t lang = language;
    ResetGameState();
    language = lang;
    dataRoot = dir;
    world = PaintedWorld{};
    world.dir = dir;
    WorldState& s = world.now;
    bool forms[kMaps] = {};
    for (int n = 1; n <= kMaps; ++n) forms[n - 1] = authoring::Survives([n] { LoadMapForm(worldNumber, n); });
    ReadStateFromRecords(s, forms);
    if (authoring::Survives([] { LoadWorldInfo(WorldFilePath({WorldFileKind::kWorldInfo})); })) {
        s.info = worldInfo;
        s.startMap = hero.mapNumber;
    }
    if (authoring::Survives([] { LoadHeroStatus(); })) s.startX = hero.fieldX, s.startY = hero.fieldY;
    authoring::Survives([] { LoadAllEnemyStatus(); });
    authoring::Survives([] { LoadMiniMap(worldNumber); });
    for (int n = 1; n <= kMaps; ++n) {
        hero.mapNumber = static_cast<std::int16_t>(n);
        if (authoring::Survives([] { LoadMapEnemies(worldNumber); }))
            s.enemies[n - 1].assign(fieldEnemies.entries, fieldEnemies.entries + fieldEnemies.count);
    }
    platform::UseBackend(before);
    std::vector<WorldFileId> ids;
    for (int n = 1; n <= kMaps; ++n) ids.push_back({WorldFileKind::kMapForm, n});
    for (int n = 1; n <= kMaps; ++n) ids.push_back({WorldFileKind::kEnemyList, n});
    ids.push_back({WorldFileKind::kWorldInfo});
    ids.push_back({WorldFileKind::kHero});
    for (const WorldFileId id : ids) {
        platform::DataFileBytes read = platform::ReadDataFile(PathOf(dir, id), kFileLimit);
        world.files.push_back({id, read.problem == platform::FileProblem::kNone, std::move(read.bytes)});
        const KeptFile& f = world.files.back();
        if (id.kind == WorldFileKind::kMapForm && f.exists && IsUtf8Text(f.raw, false)) world.utf8World = true;
    }
    world.saved = world.now;
    return true;
}

std::string FileBytes(const PaintedWorld& world, const KeptFile& file, const WorldState& state) {
    const std::string eol = file.exists ? LineEnd(file.raw) : "\n";
    const int i = file.id.index - 1;
    switch (file.id.kind) {
        case WorldFileKind::kMapForm: return PictureBytes(file.raw, WritesUtf8(world, file), eol, state.cells[i]);
        case WorldFileKind::kEnemyList: return ListBytes(file.raw, state.enemies[i], eol);
        case WorldFileKind::kWorldInfo: return InfoBytes(file.raw, state, eol);
        case WorldFileKind::kHero: return HeroBytes(file.raw, state, eol);
        default: return file.raw;
    }
}

std::vector<const KeptFile*> ChangedFiles(const PaintedWorld& world) {
    std::vector<const KeptFile*> out;
    for (const KeptFile& f : world.files)
        if (Changed(f, world.now, world.saved)) out.push_back(&f);
    return out;
}

std::vector<HeldFile> UnsavedFiles(const PaintedWorld& world) {
    std::vector<HeldFile> out;
    for (const KeptFile* f : ChangedFiles(world))
        out.push_back({WorldFileName(f->id), FileBytes(world, *f, world.now)});
    return out;
}

bool CopyAsSaved(const PaintedWorld& world, const std::string& folder, std::string& problem) {
    std::vector<std::string> names;
    for (const WorldFileId id : WorldFiles()) names.push_back(WorldFileName(id));
    names.emplace_back(kWorldAboutFile);
    for (const std::string& name : platform::DirectoryNames(PathIn(world.dir, kTranslationsFolder)))
        names.push_back(std::string(kTranslationsFolder) + "/" + name);
    const std::vector<HeldFile> unsaved = UnsavedFiles(world);
    for (const std::string& name : names) {
        const auto held =
            std::find_if(unsaved.begin(), unsaved.end(), [&](const HeldFile& h) { return h.name == name; });
        platform::DataFileBytes read;
        if (held != unsaved.end()) read.bytes = held->bytes;
        else read = platform::ReadDataFile(PathIn(world.dir, name), kCopyLimit);
        // A file missing stays missing, as the game would find it.
        if (read.problem == platform::FileProblem::kNone && !WriteCopy(folder, name, read.bytes, problem)) return false;
    }
    return true;
}

std::vector<std::string> ChangedOnDisk(const PaintedWorld& world) {
    std::vector<std::string> out;
    for (const KeptFile& f : world.files) {
        // A file the save leaves alone may change on disk as it likes.
        if (!Changed(f, world.now, world.saved)) continue;
        const platform::DataFileBytes read = platform::ReadDataFile(PathOf(world.dir, f.id), kFileLimit);
        const bool exists = read.problem == platform::FileProblem::kNone;
        if (exists != f.exists || (exists && read.bytes != f.raw)) out.push_back(WorldFileName(f.id));
    }
    return out;
}

bool SavePaintedWorld(PaintedWorld& world, std::string& problem) {
    for (KeptFile& f : world.files) {
        if (!Changed(f, world.now, world.saved)) continue;
        const std::string bytes = FileBytes(world, f, world.now);
        const std::string path = PathOf(world.dir, f.id);
        const std::string folder = path.substr(0, path.rfind(platform::PathSeparator()));
        platform::FileIdentity none;  // the world's files are not held
        bool changed = false;
        if (!platform::PrepareUserDataDirectory(folder, problem) ||
            !platform::WriteFileAtomically(path, bytes, none, changed, problem))
            return false;
        f.raw = bytes;
        f.exists = true;
        // What was read of this file is what it holds now.
        const int i = f.id.index - 1;
        switch (f.id.kind) {
            case WorldFileKind::kMapForm:
                std::memcpy(world.saved.cells[i], world.now.cells[i], sizeof world.now.cells[i]);
                break;
            case WorldFileKind::kEnemyList: world.saved.enemies[i] = world.now.enemies[i]; break;
            case WorldFileKind::kWorldInfo:
                world.saved.info = world.now.info;
                world.saved.startMap = world.now.startMap;
                break;
            default: world.saved.startX = world.now.startX, world.saved.startY = world.now.startY; break;
        }
    }
    return true;
}

bool SameState(const WorldState& a, const WorldState& b) {
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0 && SameInfo(a.info, b.info) && a.startMap == b.startMap &&
           a.startX == b.startX && a.startY == b.startY &&
           std::equal(std::begin(a.enemies), std::end(a.enemies), std::begin(b.enemies), SameEnemies);
}

bool Unsaved(const PaintedWorld& world) { return !ChangedFiles(world).empty(); }

CellCharacter CharacterAt(const WorldState& state, int map, int x, int y) {
    const auto& row = state.cells[map - 1][y];
    const int s = StartOf(row, x);
    const int n = IsLeadByte(row[s]) && s + 1 < kMapColumns ? 2 : 1;
    return {s, std::string(reinterpret_cast<const char*>(row + s), static_cast<std::size_t>(n))};
}

bool PutCharacter(WorldState& state, int map, int x, int y, std::string_view character) {
    const int n = static_cast<int>(character.size());
    if (x < 0 || y < 0 || y >= kMapRows || x + n > kPaintedColumns || n < 1 || n > 2) return false;
    auto& row = state.cells[map - 1][y];
    for (int i = x; i < x + n; ++i) Blank(row, i);
    for (int i = 0; i < n; ++i) row[x + i] = static_cast<unsigned char>(character[static_cast<std::size_t>(i)]);
    return true;
}

void FillBlock(WorldState& state, int map, Block block, std::string_view character) {
    const int n = std::max<int>(1, static_cast<int>(character.size()));
    for (int y = Top(block); y <= Bottom(block); ++y)
        for (int x = Left(block); x <= Right(block); x += n)
            if (x + n - 1 > Right(block) || !PutCharacter(state, map, x, y, character))
                PutCharacter(state, map, x, y, " ");
}

std::vector<std::string> CopyBlock(const WorldState& state, int map, Block block) {
    std::vector<std::string> rows;
    for (int y = Top(block); y <= Bottom(block); ++y) {
        std::string row;
        for (int x = Left(block); x <= Right(block);) {
            const CellCharacter c = CharacterAt(state, map, x, y);
            const bool whole = c.x == x && x + static_cast<int>(c.bytes.size()) - 1 <= Right(block);
            row += whole ? c.bytes : " ";
            x += whole ? static_cast<int>(c.bytes.size()) : 1;
        }
        rows.push_back(row);
    }
    return rows;
}

void PasteBlock(WorldState& state, int map, int x, int y, const std::vector<std::string>& rows) {
    for (std::size_t r = 0; r < rows.size() && y + static_cast<int>(r) < kMapRows; ++r) {
        const std::string& row = rows[r];
        for (std::size_t i = 0; i < row.size();) {
            const std::size_t n = IsLeadByte(static_cast<unsigned char>(row[i])) && i + 1 < row.size() ? 2 : 1;
            const int at = x + static_cast<int>(i);
            if (at + static_cast<int>(n) > kPaintedColumns) break;
            PutCharacter(state, map, at, y + static_cast<int>(r), std::string_view(row).substr(i, n));
            i += n;
        }
    }
}

int EnemyAt(const WorldState& state, int map, int x, int y) {
    const auto& list = state.enemies[map - 1];
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].y == y && (list[i].x == x || list[i].x + 1 == x)) return static_cast<int>(i);
    return -1;
}

}  // namespace rf::painter
