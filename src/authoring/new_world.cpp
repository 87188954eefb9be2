#include "authoring/new_world.h"

#include <span>
#include <string_view>

#include "authoring/translation_check.h"
#include "authoring/world_check.h"
#include "core/data_files.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "platform/files.h"
#include "platform/player_files.h"
#include "text/cp932.h"
#include "text/sj_literal.h"

namespace rf::authoring {
namespace {

// A status file's fields, named as the checker names them, after the values (the game reads no further).
std::string FieldsNote(std::span<const std::string_view> names) {
    std::string out = "\nThe game reads the values above in this order, and nothing after them:\n";
    std::string line;
    for (std::string_view name : names) {
        const std::string item = std::string(line.empty() ? "" : ", ") + std::string(name);
        if (line.size() + item.size() > 72) out += line + ",\n", line = std::string(name);
        else line += item;
    }
    return out + line + ".\n";
}

// The mini-map, nine boxes as the default world draws them.
constexpr std::string_view kMiniMap =
    " _____ _____ _____ \n"
    "|     |     |     |\n"
    "|_____|_____|_____|\n"
    "|     |     |     |\n"
    "|     |     |     |\n"
    "|_____|_____|_____|\n"
    "|     |     |     |\n"
    "|     |     |     |\n"
    "|_____|_____|_____|\n";

// Where things stand: passages between neighbours in rows 10 and 11 and
// columns 27 to 36 (counted from 1), the start in the middle map, the
// Queen and the King on the bottom corners, and the strip a gate in the top
// of map 8, as wide as the passage, that seeing either of them opens.
constexpr int kStartMap = 5, kStartX = 28, kStartY = 10;
constexpr int kGateMap = 8, kGateColumn = 27;  // counted from 1, as the world file counts it

// Map m's picture in code page 932: walls round it, a passage to each neighbour.
std::string Picture(int m) {
    const int row = MapRowOf(m), column = MapColumnOf(m);
    std::string rows[kMapRows];
    for (int y = 0; y < kMapRows; ++y) {
        std::string& r = rows[y];
        r.assign(kMapColumns - 1, ' ');
        const bool across = y == kMapRows / 2 - 1 || y == kMapRows / 2;
        if (column == 0 || !across) r.front() = '#';
        if (column == kMapsAcross - 1 || !across) r.back() = '#';
        if (y == 0 || y == kMapRows - 1) {
            const bool open = y == 0 ? row > 0 : row < kMapsDown - 1;
            for (int x = 0; x < kMapColumns - 1; ++x)
                r[x] = open && x >= kGateColumn - 1 && x <= kGateColumn + 8 ? ' ' : '#';
        }
    }
    if (m == kGateMap)
        for (int y = 0; y < 2; ++y) rows[y].replace(kGateColumn - 1, 10, std::string(10, '='));
    if (m == kStartMap) {
        // The sign: what to edit, written on the map itself.
        const std::string_view sign[] = {"看板: この地図は map_form/map1/5.txt"_sj,
                                         "敵は map_info/map1/5.txt に書く"_sj, "ranks check で確かめよう"_sj};
        for (int i = 0; i < 3; ++i) rows[3 + i].replace(3, sign[i].size(), sign[i]);
    }
    std::string out;
    for (const std::string& r : rows) out += r + "\n";
    return out;
}

// The enemies of map m: none on the start map, stronger kinds further down.
std::string EnemyList(int m) {
    if (m == kStartMap) return "0\n";
    const int weaker = 1 + MapRowOf(m), stronger = weaker + 1;
    return "2\n" + std::to_string(weaker) + " 2 14 5\n" + std::to_string(stronger) + " 1 44 14\n";
}

}  // namespace

std::vector<NewWorldFile> NewWorldFiles() {
    const char* const kinds[kEnemyKinds] = {
        "ポーン 1 {}\n0 1\n14 6 4 3 3 5 0\n",          "ナイト 2 {}\n0 1\n26 10 7 4 5 9 0\n",
        "ビショップ 3 {}\n0 1\n40 14 10 12 10 11 1\n", "ルーク 4 {}\n0 1\n70 22 16 8 14 12 2\n",
        "クイーン 5 {}\n0 1\n300 40 30 30 30 20 3\n",  "キング 6 {}\n0 1\n400 45 35 35 35 20 4\n"};
    const char* const abilities[kAbilities] = {"一文字\n0 2 3\n", "フレイム\n0 3 2\n", "大回転斬り\n0 4 3\n",
                                               "地獄炎\n0 5 3\n", "絶対服従\n0 7 4\n"};
    std::vector<NewWorldFile> files;
    for (const WorldFileId& id : WorldFiles()) {
        std::string text;
        switch (id.kind) {
            case WorldFileKind::kHero:
                text = "ゆうしゃ\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n" + std::to_string(kStartX) + " " +
                       std::to_string(kStartY) + "\n" + FieldsNote(kHeroFields);
                break;
            case WorldFileKind::kEnemy: {
                text = kinds[id.index];
                text.replace(text.find("{}"), 2, Cp932ToUtf8(kLegendSymbols[id.index]));
                text += FieldsNote(kEnemyFields);
                break;
            }
            case WorldFileKind::kAbility: text = std::string(abilities[id.index]) + FieldsNote(kAbilityFields); break;
            case WorldFileKind::kWorldInfo:
                text = "7 30 10\n9 30 10\n" + std::to_string(kGateMap) + " " + std::to_string(kGateColumn) + " 1\n" +
                       std::to_string(kStartMap) + "\n" + FieldsNote(kWorldInfoFields);
                break;
            case WorldFileKind::kMiniMap: text = kMiniMap; break;
            case WorldFileKind::kMapForm: text = Cp932ToUtf8(Picture(id.index)); break;
            case WorldFileKind::kEnemyList: text = EnemyList(id.index); break;
        }
        files.push_back({WorldFileName(id), text});
    }
    // What the world says of itself: the Help page shows its name.
    files.push_back({std::string(kWorldAboutFile),
                     "# What this world says of itself, one field a line. The game's Help page shows its name.\n"
                     "name: はじめての世界\nname.en: A first world\nauthor: \nversion: 0.1\nlicence: \n"
                     "description: ranks new が書いた九つの地図の世界\n"
                     "description.en: Nine maps written by ranks new, to make your own\n"
                     "# Characters of the maps that no translation needs (a forest of 木 needs none anyway).\n"
                     "decoration: \n"
                     "# The level each map is meant for, maps 1 to 9: ranks balance plays its battles there.\n"
                     "levels: \n"});
    return files;
}

bool WriteNewWorld(const std::string& dir, std::string& problem) {
    if (WorldFolderProblem(dir).empty()) {
        problem = dir + " holds a world already: name a new folder";
        return false;
    }
    auto write = [&](const NewWorldFile& file) {
        std::string path = dir.ends_with(platform::PathSeparator()) ? dir : dir + platform::PathSeparator();
        for (char c : file.path) path += c == '/' ? platform::PathSeparator() : c;
        const std::string folder = path.substr(0, path.rfind(platform::PathSeparator()));
        bool taken = false;
        platform::FileIdentity made;  // a world's files are not watched for changes
        if (!platform::PrepareUserDataDirectory(folder, problem) ||
            !platform::WriteNewFileAtomically(path, file.text, taken, made, problem)) {
            if (taken) problem = path + " exists already";
            return false;
        }
        return true;
    };
    for (const NewWorldFile& file : NewWorldFiles())
        if (!write(file)) return false;
    // A translator's template of the world as written, to start translations/LANG.po from.
    CheckWorld(dir);
    return write({std::string(kTranslationsFolder) + "/world.pot", TranslationTemplate()});
}

}  // namespace rf::authoring
