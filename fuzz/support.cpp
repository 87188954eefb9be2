#include "support.h"
#include "core/load_log.h"
#include "core/world_folder.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/game_state.h"
#include "platform/headless/headless.h"

namespace rf::fuzz {
namespace {

std::string MakeScratchRoot() {
    auto dir = std::filesystem::temp_directory_path() / ("ranks-fuzz-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    return dir.string();
}

const std::string scratchRoot = MakeScratchRoot();

void Require(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

const std::string& ScratchRoot() { return scratchRoot; }

void PlaceOddFile(const std::string& relative, int kind) {
    auto path = std::filesystem::path(scratchRoot) / relative;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    std::filesystem::create_directories(path.parent_path(), ec);
    switch (kind % 5) {
        case 0: break;  // missing
        case 1: std::filesystem::create_directory(path, ec); break;
        case 2: ::mkfifo(path.c_str(), 0600); break;
        case 3: std::filesystem::create_symlink("/dev/zero", path, ec); break;
        default: std::filesystem::create_symlink("/dev/urandom", path, ec); break;
    }
}

void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size) {
    if (size == 2 && data[0] == 0xFF) {
        PlaceOddFile(relative, data[1]);
        return;
    }
    auto path = std::filesystem::path(scratchRoot) / relative;
    std::error_code ec;
    // Whatever stood there before goes first: writing into a FIFO would wait for a reader.
    std::filesystem::remove_all(path, ec);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteScratchFile(const std::string& relative, std::string_view bytes) {
    WriteScratchFile(relative, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void RemoveScratchFile(const std::string& relative) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(scratchRoot) / relative, ec);
}

void FreshGame() {
    ResetGameState();
    headless::Reset();
    dataRoot = scratchRoot;
}

void FreshGame(std::size_t size) {
    FreshGame();
    // Every other input also runs the remarks the world checker collects.
    loadLog.enabled = size % 2 == 1;
}

std::vector<std::string_view> SplitAtNul(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces;
    std::string_view all(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = all.find('\0', start);
        if (end == std::string_view::npos) {
            pieces.push_back(all.substr(start));
            return pieces;
        }
        pieces.push_back(all.substr(start, end - start));
        start = end + 1;
    }
}

void CheckRecords(bool inBattle) {
    Require(hero.mapNumber >= 1 && hero.mapNumber <= kMaps);
    Require(hero.fieldX >= 0 && hero.fieldX <= kLastHeroColumn && hero.fieldY >= 0 && hero.fieldY <= kLastHeroRow);
    Require(fieldEnemies.count >= 0 && fieldEnemies.count <= FieldEnemyList::kCapacity);
    for (int i = 0; i < fieldEnemies.count; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        Require((e.x == 0 && e.y == 0) || (e.x >= 0 && e.x <= kLastHeroColumn && e.y >= 0 && e.y <= kLastHeroRow));
    }
    // No animation runs while a key is read or between passes.
    Require(battleLeft == kBattleLeftRest && heroPanelLeft == kHeroPanelLeftRest && menuTop == 0);
    int running = 0;
    for (const auto& slots : itemEffects.slots)
        for (const EffectSlot& slot : slots) {
            Require(slot.turnsLeft >= -1);
            if (slot.turnsLeft != -1) {
                ++running;
                Require(slot.row >= 0 && slot.row < kRunningEffects && itemEffects.rowInUse[slot.row] == 1);
            }
        }
    Require(itemEffects.activeEffects == running && running <= kRunningEffects);
    int rowsInUse = 0;
    for (std::int16_t r : itemEffects.rowInUse) {
        Require(r == 0 || r == 1);
        rowsInUse += r;
    }
    Require(rowsInUse == running);
    Require(battle.commandCursor >= 0 && battle.commandCursor <= 3);
    Require(battle.abilityCursor >= 0 && battle.abilityCursor <= 4);
    Require(battle.itemCursor >= 0 && battle.itemCursor <= 2);
    if (!inBattle) {
        Require(battle.remaining == 0 && battle.actionCount == 0 && battle.defeatedCount == 0 &&
                battle.itemsUsed == 0 && battle.commandCursor == 0 && battle.abilityCursor == 0 &&
                battle.itemCursor == 0);
        for (std::int16_t d : battle.defeated) Require(d == 0);
    }
    const auto& screen = headless::Screen();
    Require(screen.CursorX() >= 0 && screen.CursorX() < platform::VirtualConsole::kWidth);
    Require(screen.CursorY() >= 0 && screen.CursorY() < platform::VirtualConsole::kHeight);
}

}  // namespace rf::fuzz
