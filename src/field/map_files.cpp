#include "map_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/data_files.h"
#include "core/token_reader.h"

namespace rf {
namespace {

std::string Digit(int number) { return std::string(1, static_cast<char>('0' + number)); }

std::string WorldName(std::int16_t world) { return "map" + Digit(world); }

// The file's bytes as a text-mode read gives them (CR before LF dropped);
// a file that cannot be opened ends the game.
std::string ReadPictureBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) StopForMissingFile();
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string bytes;
    bytes.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        bytes += raw[i];
    }
    return bytes;
}

// Fills rows x columns cells character by character, without regard to
// lines: a line feed, byte 255 and everything past the end become blanks.
template <typename Cell>
void ReadPicture(const std::string& path, int rows, int columns, Cell cell) {
    const std::string bytes = ReadPictureBytes(path);
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
}

}  // namespace

int MapRowOf(int map) { return (map - 1) / 3; }
int MapColumnOf(int map) { return (map - 1) % 3; }
int OriginRow(int map) { return MapRowOf(map) * kMapRows; }
int OriginColumn(int map) { return MapColumnOf(map) * kMapColumns; }
bool IsMapNumber(int map) { return map >= 1 && map <= 9; }

unsigned char GridCell(int gridX, int gridY) {
    if (gridX < 0 || gridX >= WorldGrid::kColumns || gridY < 0 || gridY >= WorldGrid::kRows) return '#';
    return worldGrid.cells[gridY][gridX];
}

void LoadMapForms(std::int16_t world) {
    for (int n = 1; n <= 9; ++n) {
        const int top = OriginRow(n);
        const int left = OriginColumn(n);
        ReadPicture(DataPath({"map_form", WorldName(world), Digit(n) + ".txt"}), kMapRows, kMapColumns,
                    [&](int x, int y) -> unsigned char& { return worldGrid.cells[top + y][left + x]; });
    }
    LoadWorldInfo(DataPath({"map_info", WorldName(world) + ".txt"}));
}

void LoadWorldInfo(const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) StopForMissingFile();
    WorldInfo& w = worldInfo;
    (void)(ReadInto(reader, w.queenMark.map) && ReadInto(reader, w.queenMark.x) && ReadInto(reader, w.queenMark.y) &&
           ReadInto(reader, w.kingMark.map) && ReadInto(reader, w.kingMark.x) && ReadInto(reader, w.kingMark.y) &&
           ReadInto(reader, w.opening.map) && ReadInto(reader, w.opening.x) && ReadInto(reader, w.opening.unused) &&
           ReadInto(reader, hero.mapNumber));
    // No file exists for a map outside the world: start on map 1 instead of stopping.
    if (!IsMapNumber(hero.mapNumber)) hero.mapNumber = 1;
}

void LoadMapEnemies(std::int16_t world) {
    FieldEnemyList& list = fieldEnemies;
    for (FieldEnemy& e : list.entries) e = FieldEnemy{};
    list.count = 0;
    ++list.loads;
    TokenReader reader(DataPath({"map_info", WorldName(world), Digit(hero.mapNumber) + ".txt"}));
    if (!reader.Opened()) StopForMissingFile();
    if (!ReadInto(reader, list.count)) return;
    // The list holds five; a longer file gives its first five, a negative count none.
    list.count = std::clamp<std::int16_t>(list.count, 0, FieldEnemyList::kCapacity);
    for (int i = 0; i < list.count; ++i) {
        FieldEnemy& e = list.entries[i];
        if (!(ReadInto(reader, e.kind) && ReadInto(reader, e.groupSize) && ReadInto(reader, e.x) &&
              ReadInto(reader, e.y)))
            break;
    }
    for (int i = 0; i < list.count; ++i) {
        FieldEnemy& e = list.entries[i];
        if (IsEmptyEntry(e)) continue;
        // Keep every enemy on the field and every group within the battle's seven places.
        e.x = std::clamp(e.x, 0, kLastHeroColumn);
        e.y = std::clamp(e.y, 0, kMapRows - 1);
        e.groupSize = std::clamp(e.groupSize, 1, 7);
    }
}

void LoadMiniMap(std::int16_t world) {
    ReadPicture(DataPath({"mini_map", WorldName(world) + ".txt"}), MiniMapText::kRows, MiniMapText::kColumns,
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
