// A small world for the field tests: an open grid in memory, enemy
// records with their symbols, and a data folder holding the enemy lists.
#pragma once

#include <cstring>

#include "core/world_folder.h"
#include "test_support.h"

namespace rf::test {

class FieldTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dataRoot = dir.Path().string();
        for (auto& row : worldGrid.cells)
            for (auto& cell : row) cell = ' ';
        const char* symbols[6] = {"◎", "△", "○", "□", "Ω", "Ψ"};
        for (int k = 0; k < 6; ++k) {
            std::string s = ToCp932(symbols[k]);
            std::memcpy(enemyTable.kinds[k].symbol, s.data(), s.size());
            enemyTable.kinds[k].kind = static_cast<std::int16_t>(k + 1);
        }
        for (int n = 1; n <= 9; ++n) EnemyList(n, "0\n");
        hero.mapNumber = 1, hero.fieldX = 20, hero.fieldY = 10;
    }

    void EnemyList(int n, const std::string& text) { dir.Write("map_info/map1/" + std::to_string(n) + ".txt", text); }

    // Grid cell (x, y) of map `m`.
    unsigned char& Cell(int m, int x, int y) { return worldGrid.cells[(m - 1) / 3 * 20 + y][(m - 1) % 3 * 60 + x]; }
    void Wall(int map, int x, int y) { Cell(map, x, y) = '#'; }

    void SetEnemies(std::initializer_list<FieldEnemy> entries) {
        fieldEnemies = {};
        for (const FieldEnemy& e : entries) fieldEnemies.entries[fieldEnemies.count++] = e;
    }

    // Text of screen cells as UTF-8.
    std::string At(int x, int y, int count = 2) { return Row(y, x, count); }

    TempDir dir;
};

}  // namespace rf::test
