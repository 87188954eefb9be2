#include "authoring/balance.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/battle_policy.h"
#include "authoring/meant_levels.h"
#include "authoring/world_check.h"
#include "battle/attack.h"
#include "battle/battle_driver.h"
#include "battle/formulas.h"
#include "console/console.h"
#include "console/message_window.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "field/field_enemies.h"
#include "field/map_files.h"
#include "items/abilities.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/streams.h"

namespace rf::authoring {
namespace {

// The levels of the rows by default: 1 and 5, and each level that opens another ability.
constexpr int kRowLevels[] = {1, 5, kAbilityUnlockLevels[2], kAbilityUnlockLevels[3], kAbilityUnlockLevels[4]};
// The levels a map's lowest level is sought among by default, and the
// levels the play time is estimated to: those that open an ability.
constexpr int kTopLevel = kAbilityUnlockLevels[4];
constexpr int kTargetLevels[] = {kAbilityUnlockLevels[2], kAbilityUnlockLevels[3], kAbilityUnlockLevels[4]};
// A map is "won" at a level when this share of its battles is won.
constexpr double kWinShare = 0.9;
constexpr std::int64_t kFirstBattleClock = 1'700'000'000;
// Enter presses past which a battle at the default pace drags: a player
// feels it as a chore, not a fight.
constexpr int kLongBattleEnters = 40;

struct Encounter {
    int kind = 1;  // 1 Pawn to 4 Rook: the record the game fights
    int group = 1;
    bool operator==(const Encounter&) const = default;
};

std::string Named(const Encounter& e) { return std::string(kKindNames[e.kind - 1]) + " x" + std::to_string(e.group); }

struct Row {
    int wins = 0;
    std::vector<int> actions;
    std::vector<int> enters;           // Enter presses, each message acknowledged (the default pace)
    std::vector<double> fightSeconds;  // the battle's game time, the wipes and the keys
    double experience = 0;             // summed over all battles
};

struct MapEnemies {
    bool loaded = false;            // false: the game stops on entering the map
    std::vector<Encounter> groups;  // in the list's order, as the game clamps them
};

MapEnemies EnemiesOfMap(int m) {
    MapEnemies found;
    hero.mapNumber = static_cast<std::int16_t>(m);
    try {
        LoadMapEnemies(worldNumber);
    } catch (const headless::ExitCalled&) {
        platform::TakeFarewell();
        return found;
    }
    found.loaded = true;
    for (int i = 0; i < fieldEnemies.count; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        if (IsEmptyEntry(e)) continue;
        const int kind = static_cast<int>(&EnemyRecordOf(e.kind) - enemyTable.kinds) + 1;
        found.groups.push_back({kind, e.groupSize});
    }
    return found;
}

template <typename T>
double Median(std::vector<T> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? static_cast<double>(v[n / 2])
                 : (static_cast<double>(v[n / 2 - 1]) + static_cast<double>(v[n / 2])) / 2;
}

template <typename T>
double Mean(const std::vector<T>& v) {
    double sum = 0;
    for (T x : v) sum += static_cast<double>(x);
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

std::string Percent(double share) { return Decimal(100.0 * share) + "%"; }

std::string Duration(double seconds) {
    const long long s = std::llround(seconds);
    if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s / 3600) + " h " + std::to_string(s / 60 % 60) + " min";
}

std::string Padded(std::string text, std::size_t width, bool right = false) {
    if (text.size() >= width) return text;
    return right ? std::string(width - text.size(), ' ') + text : text + std::string(width - text.size(), ' ');
}

// Battles at one level against one encounter, each played once and kept.
class Battles {
public:
    Battles(const BalanceRequest& request, const HeroStatus (&grown)[kHighestLevel + 1])
        : request_(request), grown_(grown), lastReport_(std::chrono::steady_clock::now()) {}

    const Row& At(int level, const Encounter& encounter) {
        const auto key = std::make_tuple(level, encounter.kind, encounter.group);
        auto it = rows_.find(key);
        if (it != rows_.end()) return it->second;
        Row& row = rows_[key];
        const int ability = StrongestAbility(level);
        for (int i = 0; i < request_.battles; ++i) Play(grown_[level], encounter, ability, i, row);
        return row;
    }

    // The share of a map's battles won at a level, each group once.
    double MapWins(int level, const std::vector<Encounter>& groups) {
        double wins = 0;
        for (const Encounter& e : groups) wins += At(level, e).wins;
        return wins / (static_cast<double>(request_.battles) * static_cast<double>(groups.size()));
    }

    // Every battle of a map's groups at a level, each group as often.
    std::vector<const Row*> MapRows(int level, const std::vector<Encounter>& groups) {
        std::vector<const Row*> rows;
        rows.reserve(groups.size());
        for (const Encounter& e : groups) rows.push_back(&At(level, e));
        return rows;
    }

    double MapFight(int level, const std::vector<Encounter>& groups) {
        std::vector<double> all;
        for (const Encounter& e : groups) {
            const Row& r = At(level, e);
            all.insert(all.end(), r.fightSeconds.begin(), r.fightSeconds.end());
        }
        return Median(all);
    }

private:
    // One battle of the game against the encounter; the hero as grown, his
    // experience counted from zero with no level-up within the battle.
    void Play(const HeroStatus& h, const Encounter& encounter, int ability, int index, Row& row) {
        headless::Reset(kFirstBattleClock + index);
        headless::Unseen();
        hero = h;
        hero.exp = 0;
        hero.nextExp = 0xFFFFFFFFu;
        battle = {};
        itemEffects = {};
        messageWindow = {};
        console = {};
        EnemyStatus& enemy = enemyTable.kinds[encounter.kind - 1];
        BattlePolicy policy(ability);
        headless::SetKeySupplier([&policy] { policy.Supply(); });
        bool ended = false;
        try {
            RunBattle(enemy, static_cast<std::int16_t>(encounter.group));
            ended = true;
        } catch (const headless::ScriptEnded&) {
        } catch (const headless::Watchdog&) {
        }
        headless::SetKeySupplier(nullptr);
        // The policy never flees: a battle that ended with the hero standing is won, whatever it brought.
        row.wins += ended && hero.hp > 0 ? 1 : 0;
        row.experience += hero.exp;
        row.actions.push_back(policy.actions);
        row.enters.push_back(policy.enters);
        const double wipes = 2.0 * kMapRows * kWipeFrameMs / 1000.0;
        row.fightSeconds.push_back(static_cast<double>(headless::NowMs()) / 1000.0 + wipes +
                                   kPerKeySeconds * policy.keys);
        ++played_;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport_ >= std::chrono::seconds(1)) {
            lastReport_ = now;
            platform::PrintError("ranks balance: " + std::to_string(played_) + " battles played\n");
        }
    }

    const BalanceRequest& request_;
    const HeroStatus (&grown_)[kHighestLevel + 1];
    std::map<std::tuple<int, int, int>, Row> rows_;
    long long played_ = 0;
    std::chrono::steady_clock::time_point lastReport_;
};

// A map's battles at the level it is meant for.
struct MeantResult {
    int level = 0;  // 0: not played (the map has no enemies, or no level)
    double wins = 0;
    double actions = 0;  // medians
    double enters = 0;
    int mostEnters = 0;
    double longShare = 0;  // the share of battles over kLongBattleEnters
};

struct MapResult {
    int map = 0;
    MapEnemies enemies;
    int level = 0;  // 0: no level tried wins nine in ten
    double wins = 0;
    double fight = 0;
    int bestLevel = 0;  // the highest level tried, when none wins
    MeantResult meant;
};

struct GroupRow {
    int level = 0;
    Encounter encounter;
    int lists = 0;  // how many enemy lists hold the group
    Row row;
};

struct Estimate {
    int target;
    double seconds;
    std::string why;  // not empty: no estimate
};

// What the battles found, as every format prints it.
struct BalanceResult {
    std::string world;  // as the report names it
    int battles = 0;
    bool levelsGiven = false;  // --levels, not the default levels
    std::vector<MapResult> maps;
    std::vector<int> searched;           // the levels a map's level is sought among
    std::vector<int> rowLevels;          // the levels of the rows by group
    std::vector<GroupRow> rows;          // by level of rowLevels, then by kind and size
    std::map<int, std::string> missing;  // why a level was not played
    int estimatedFrom = 0;
    std::vector<Estimate> estimates;
    std::string meantFrom;  // where the maps' levels come from
    MeantResult allMeant;   // every map's battles at its level together
};

// The world's records and each map's groups, loaded on the headless session.
struct LoadedWorld {
    MapEnemies maps[kMaps + 1];
    HeroStatus fromFile;
    HeroStatus grown[kHighestLevel + 1] = {};
    bool reached[kHighestLevel + 1] = {};
    int meant[kMaps + 1] = {};  // world.txt's levels; all 0 when it gives none
    std::string meantWhy;       // why world.txt's levels are not taken, or ""
    bool meantGiven = false;    // world.txt has them, taken or not
};

// world.txt's "levels": the level each map is meant for.
void TakeMeantLevels(LoadedWorld& world) {
    LoadWorldAbout();
    const MeantLevels meant = authoring::ReadMeantLevels();
    std::copy(std::begin(meant.level), std::end(meant.level), std::begin(world.meant));
    world.meantWhy = meant.why;
    world.meantGiven = meant.given;
}

// False, with why, when there is nothing to play.
bool Load(const std::string& dir, LoadedWorld& world, std::string& why) {
    headless::Reset();
    ResetGameState();
    dataRoot = dir;
    LoadHeroStatus();
    LoadAllEnemyStatus();
    LoadAllAbilities();
    TakeMeantLevels(world);
    bool anyEnemy = false;
    for (int m = 1; m <= kMaps; ++m) {
        world.maps[m] = EnemiesOfMap(m);
        anyEnemy = anyEnemy || !world.maps[m].groups.empty();
    }
    if (hero.maxHp <= 0 || !anyEnemy) {
        why = hero.maxHp <= 0 ? "the hero has no hit points (see ranks check)"
                              : "no enemy list of this world holds an enemy";
        return false;
    }
    // The hero at every level the growth reaches.
    world.fromFile = hero;
    for (int level = std::max(0, static_cast<int>(hero.level)); level <= kHighestLevel; ++level) {
        HeroStatus h = world.fromFile;
        world.reached[level] = GrowHero(h, level);
        if (world.reached[level]) world.grown[level] = h;
    }
    return true;
}

// Why a level has no rows, or nothing.
std::string Missing(const LoadedWorld& world, int level) {
    if (level < world.fromFile.level) return "below the hero file's level " + std::to_string(world.fromFile.level);
    if (!world.reached[level]) return "the game's level-ups pass over it";
    return "";
}

// Each map: the lowest level that wins nine in ten, sought by halving (a
// grown hero is never weaker than at the level below).
MapResult SearchMap(Battles& battles, int m, const MapEnemies& enemies, const std::vector<int>& playable) {
    MapResult r;
    r.map = m;
    r.enemies = enemies;
    if (r.enemies.groups.empty() || playable.empty()) return r;
    std::size_t low = 0, high = playable.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (battles.MapWins(playable[mid], r.enemies.groups) >= kWinShare) high = mid;
        else low = mid + 1;
    }
    const int level = low < playable.size() ? playable[low] : playable.back();
    r.level = low < playable.size() ? level : 0;
    r.bestLevel = level;
    r.wins = battles.MapWins(level, r.enemies.groups);
    r.fight = battles.MapFight(level, r.enemies.groups);
    return r;
}

MeantResult Meant(const std::vector<const Row*>& rows, int level) {
    MeantResult m{level};
    std::vector<int> actions, enters;
    double battles = 0;
    for (const Row* r : rows) {
        m.wins += r->wins;
        battles += static_cast<double>(r->enters.size());
        actions.insert(actions.end(), r->actions.begin(), r->actions.end());
        enters.insert(enters.end(), r->enters.begin(), r->enters.end());
    }
    if (battles == 0) return m;
    m.wins /= battles;
    m.actions = Median(actions);
    m.enters = Median(enters);
    m.mostEnters = *std::max_element(enters.begin(), enters.end());
    m.longShare =
        static_cast<double>(std::count_if(enters.begin(), enters.end(), [](int e) { return e > kLongBattleEnters; })) /
        battles;
    return m;
}

// Each map at the level world.txt says it is meant for, else at the lowest
// level that wins it; and all maps together.
void MeasureMeant(Battles& battles, const LoadedWorld& world, BalanceResult& result) {
    result.meantFrom =
        world.meantWhy.empty() ? "world.txt's levels" : "the lowest level that wins (" + world.meantWhy + ")";
    std::vector<const Row*> all;
    for (MapResult& r : result.maps) {
        const int level = world.meant[r.map] > 0 ? world.meant[r.map] : r.bestLevel;
        if (r.enemies.groups.empty() || level <= 0 || !Missing(world, level).empty()) continue;
        const auto rows = battles.MapRows(level, r.enemies.groups);
        r.meant = Meant(rows, level);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    result.allMeant = Meant(all, 0);
}

// Every kind and group size the lists hold, and how often, by kind and size.
std::vector<std::pair<Encounter, int>> Weights(const LoadedWorld& world) {
    std::vector<std::pair<Encounter, int>> weights;
    for (int m = 1; m <= kMaps; ++m)
        for (const Encounter& e : world.maps[m].groups) {
            auto it = std::find_if(weights.begin(), weights.end(), [&](const auto& w) { return w.first == e; });
            if (it == weights.end()) weights.push_back({e, 1});
            else ++it->second;
        }
    std::sort(weights.begin(), weights.end(), [](const auto& a, const auto& b) {
        return a.first.kind != b.first.kind ? a.first.kind < b.first.kind : a.first.group < b.first.group;
    });
    return weights;
}

// Play time from the lowest measured level: each level's experience at the
// rates of the highest measured level at or below it; encounters as often
// as the enemy lists hold them, each its whole fight.
std::vector<Estimate> Estimates(Battles& battles, const LoadedWorld& world, const std::vector<int>& measured,
                                const std::vector<std::pair<Encounter, int>>& weights, int battlesEach) {
    std::vector<Estimate> estimates;
    if (measured.empty()) return estimates;
    double seconds = 0;
    std::string never;
    int target = 0;
    for (int level = measured.front(); level < kTopLevel && never.empty(); ++level) {
        if (!world.reached[level + 1]) {
            never = "the game's level-ups pass over level " + std::to_string(level + 1);
            break;
        }
        int rate = measured.front();
        for (int l : measured)
            if (l <= level) rate = l;
        double time = 0, experience = 0;
        for (const auto& [e, weight] : weights) {
            const Row& r = battles.At(rate, e);
            time += weight * Mean(r.fightSeconds);
            experience += weight * r.experience / battlesEach;
        }
        const HeroStatus& h = world.grown[level];
        const std::uint32_t had = world.fromFile.exp;
        const double needed = level != world.fromFile.level ? h.nextExp : h.nextExp > had ? h.nextExp - had : 0;
        if (needed > 0 && experience <= 0) never = "no battle at level " + std::to_string(rate) + " brings experience";
        else if (needed > 0) seconds += time / experience * needed;
        for (int t : kTargetLevels)
            if (t == level + 1) target = t, estimates.push_back({t, seconds, never});
    }
    for (int t : kTargetLevels)
        if (t > target && t > measured.front()) estimates.push_back({t, 0, never.empty() ? "not estimated" : never});
    return estimates;
}

// Plays every battle the report needs (on the headless session).
BalanceResult Measure(const BalanceRequest& request, const LoadedWorld& world) {
    BalanceResult result;
    result.battles = request.battles;
    result.levelsGiven = !request.levels.empty();
    result.searched = request.levels;
    if (result.searched.empty())
        for (int level = 1; level <= kTopLevel; ++level) result.searched.push_back(level);
    result.rowLevels = request.levels;
    if (result.rowLevels.empty()) result.rowLevels.assign(std::begin(kRowLevels), std::end(kRowLevels));
    std::vector<int> playable, measured;
    for (const auto* levels : {&result.searched, &result.rowLevels})
        for (int level : *levels)
            if (const std::string why = Missing(world, level); !why.empty()) result.missing[level] = why;
    for (int level : result.searched)
        if (!result.missing.contains(level)) playable.push_back(level);
    for (int level : result.rowLevels)
        if (!result.missing.contains(level)) measured.push_back(level);

    Battles battles(request, world.grown);
    for (int m = 1; m <= kMaps; ++m) result.maps.push_back(SearchMap(battles, m, world.maps[m], playable));
    MeasureMeant(battles, world, result);
    const auto weights = Weights(world);
    for (int level : measured)
        for (const auto& [e, weight] : weights) result.rows.push_back({level, e, weight, battles.At(level, e)});
    result.estimates = Estimates(battles, world, measured, weights, request.battles);
    if (!measured.empty()) result.estimatedFrom = measured.front();
    return result;
}

std::string GroupsText(const MapEnemies& e) {
    if (!e.loaded) return "its enemy list is missing: the game stops on entering it";
    if (e.groups.empty()) return "no enemies";
    std::string text;
    for (const Encounter& g : e.groups) text += (text.empty() ? "" : ", ") + Named(g);
    return text;
}

bool Fought(const MapResult& r) { return !r.enemies.groups.empty() && r.bestLevel > 0; }

std::string Csv(const BalanceResult& result) {
    std::string out =
        "map,enemy_groups,level_90,win_rate,typical_fight_s,meant_level,median_enters,most_enters,"
        "over_" +
        std::to_string(kLongBattleEnters) + "_share\n";
    for (const MapResult& r : result.maps) {
        const MeantResult& m = r.meant;
        out += std::to_string(r.map) + "," + CsvField(GroupsText(r.enemies)) + "," +
               (r.level > 0 ? std::to_string(r.level) : "") + "," + (Fought(r) ? Decimal(100 * r.wins) : "") + "," +
               (Fought(r) ? Decimal(r.fight) : "") + "," +
               (m.level > 0 ? std::to_string(m.level) + "," + Decimal(m.enters) + "," + std::to_string(m.mostEnters) +
                                  "," + Decimal(m.longShare, 3)
                            : ",,,") +
               "\n";
    }
    return out;
}

std::string JsonMeant(const MeantResult& m) {
    return "{\"win_rate\": " + Decimal(m.wins, 3) + ", \"median_actions\": " + Decimal(m.actions) +
           ", \"median_enters\": " + Decimal(m.enters) + ", \"most_enters\": " + std::to_string(m.mostEnters) +
           ", \"over_" + std::to_string(kLongBattleEnters) + "_share\": " + Decimal(m.longShare, 3) + "}";
}

std::string JsonMaps(const BalanceResult& result) {
    std::string out;
    for (const MapResult& r : result.maps) {
        out += std::string(r.map == 1 ? "" : ",") + "\n  {\"map\": " + std::to_string(r.map) +
               ", \"enemy_list_read\": " + (r.enemies.loaded ? "true" : "false") + ", \"groups\": [";
        for (std::size_t i = 0; i < r.enemies.groups.size(); ++i)
            out += std::string(i ? ", " : "") + "{\"kind\": " + JsonString(kKindNames[r.enemies.groups[i].kind - 1]) +
                   ", \"group\": " + std::to_string(r.enemies.groups[i].group) + "}";
        out += "], \"level\": " + (r.level > 0 ? std::to_string(r.level) : "null");
        if (r.bestLevel > 0)
            out += ", \"at_level\": " + std::to_string(r.bestLevel) + ", \"win_rate\": " + Decimal(r.wins, 3) +
                   ", \"typical_fight_s\": " + Decimal(r.fight);
        if (r.meant.level > 0)
            out +=
                ", \"meant_level\": " + std::to_string(r.meant.level) + ", \"at_meant_level\": " + JsonMeant(r.meant);
        out += "}";
    }
    return out;
}

std::string Json(const BalanceResult& result) {
    const double n = result.battles;
    std::string out = "{\"world\": " + JsonString(result.world) + ", \"battles\": " + std::to_string(result.battles) +
                      ", \"win_share\": " + Decimal(kWinShare, 2) +
                      ",\n \"meant_levels_from\": " + JsonString(result.meantFrom) +
                      ", \"all_maps_at_meant_levels\": " + JsonMeant(result.allMeant) + ",\n \"maps\": [" +
                      JsonMaps(result) + "\n ],\n \"rows\": [";
    for (const GroupRow& g : result.rows)
        out += std::string(&g == result.rows.data() ? "" : ",") + "\n  {\"level\": " + std::to_string(g.level) +
               ", \"kind\": " + JsonString(kKindNames[g.encounter.kind - 1]) +
               ", \"group\": " + std::to_string(g.encounter.group) + ", \"lists\": " + std::to_string(g.lists) +
               ", \"win_rate\": " + Decimal(g.row.wins / n, 3) +
               ", \"median_actions\": " + Decimal(Median(g.row.actions)) +
               ", \"median_fight_s\": " + Decimal(Median(g.row.fightSeconds)) +
               ", \"exp_per_battle\": " + Decimal(g.row.experience / n) +
               ", \"median_enters\": " + Decimal(Median(g.row.enters)) + "}";
    out += "\n ],\n \"levels_without_rows\": [";
    bool first = true;
    for (int level : result.rowLevels)
        if (result.missing.contains(level)) {
            out += std::string(first ? "" : ", ") + "{\"level\": " + std::to_string(level) +
                   ", \"why\": " + JsonString(result.missing.at(level)) + "}";
            first = false;
        }
    out += "],\n \"estimates\": [";
    for (const Estimate& e : result.estimates)
        out += std::string(&e == result.estimates.data() ? "" : ", ") + "{\"level\": " + std::to_string(e.target) +
               ", " +
               (e.why.empty() ? "\"seconds\": " + Decimal(e.seconds, 0)
                              : "\"seconds\": null, \"why\": " + JsonString(e.why)) +
               "}";
    return out + "]}\n";
}

std::string LevelsText(const std::vector<int>& levels) {
    std::string text;
    for (int level : levels) text += (text.empty() ? "" : ", ") + std::to_string(level);
    return text;
}

std::string TextMaps(const BalanceResult& result) {
    std::string out = "By map: the lowest level " +
                      (result.levelsGiven ? std::string("of --levels") : "(1 to " + std::to_string(kTopLevel) + ")") +
                      " that wins at least " + Decimal(100 * kWinShare, 0) +
                      "% of the map's battles (each group once)\n";
    out += "map  level  win rate  typical fight  enemy groups\n";
    for (const MapResult& r : result.maps) {
        const std::string level = r.enemies.groups.empty() ? "-"
                                  : r.bestLevel == 0       ? "no level to try"
                                  : r.level > 0            ? std::to_string(r.level)
                                                           : "none to " + std::to_string(r.bestLevel);
        out += Padded(std::to_string(r.map), 3, true) + "  " + Padded(level, 5, true) + "  " +
               Padded(Fought(r) ? Percent(r.wins) : "", 8, true) + "  " +
               Padded(Fought(r) ? Decimal(r.fight) + " s" : "", 13, true) + "  " + GroupsText(r.enemies) + "\n";
    }
    for (int level : result.searched)
        if (result.missing.contains(level))
            out += "  level " + std::to_string(level) + " not played: " + result.missing.at(level) + "\n";
    return out;
}

std::string MeantRow(const std::string& map, const std::string& level, const MeantResult& m) {
    char line[160];
    std::snprintf(line, sizeof line, "%3s  %5s  %8s  %14.1f  %13.1f  %11d  %7s\n", map.c_str(), level.c_str(),
                  Percent(m.wins).c_str(), m.actions, m.enters, m.mostEnters, Percent(m.longShare).c_str());
    return line;
}

std::string TextMeant(const BalanceResult& result) {
    const std::string over = std::to_string(kLongBattleEnters);
    std::string out = "\nBy map, at the level it is meant for (" + result.meantFrom +
                      "): actions and Enter presses a battle at the default pace (every message acknowledged), "
                      "the most, and the share over " +
                      over + "\n";
    out += "map  level  win rate  median actions  median Enters  most Enters  over " + over + "\n";
    for (const MapResult& r : result.maps)
        if (r.meant.level > 0) out += MeantRow(std::to_string(r.map), std::to_string(r.meant.level), r.meant);
        else out += Padded(std::to_string(r.map), 3, true) + "  " + Padded("-", 5, true) + "\n";
    if (result.allMeant.enters > 0) out += MeantRow("all", "", result.allMeant);
    return out;
}

std::string TextRows(const BalanceResult& result) {
    const double n = result.battles;
    std::string out = "\nBy enemy group, at each level of " +
                      (result.levelsGiven ? std::string("--levels") : LevelsText(result.rowLevels)) + "\n";
    out += "level  enemy   group  lists  win rate  median actions  typical fight  exp/battle  median Enters\n";
    for (int level : result.rowLevels) {
        if (result.missing.contains(level)) {
            out += Padded(std::to_string(level), 5, true) + "  no rows: " + result.missing.at(level) + "\n";
            continue;
        }
        for (const GroupRow& g : result.rows) {
            if (g.level != level) continue;
            char line[160];
            std::snprintf(line, sizeof line, "%5d  %-6s  %5d  %5d  %7.1f%%  %14.1f  %11.1f s  %10.1f  %13.1f\n", level,
                          std::string(kKindNames[g.encounter.kind - 1]).c_str(), g.encounter.group, g.lists,
                          100.0 * g.row.wins / n, Median(g.row.actions), Median(g.row.fightSeconds),
                          g.row.experience / n, Median(g.row.enters));
            out += line;
        }
    }
    return out;
}

std::string Text(const BalanceResult& result) {
    std::string out = "Balance of " + result.world + ": " + std::to_string(result.battles) +
                      " battles per group and level, fixed seeds; the hero grown with the game's level-ups.\n"
                      "The policy: the strongest ability the level allows, a potion below a third of the hit "
                      "points.\n"
                      "A typical fight is the median of the battle's game time, the encounter's wipes and " +
                      Decimal(kPerKeySeconds) + " s per key pressed.\n\n";
    out += TextMaps(result) + TextMeant(result) + TextRows(result);
    if (!result.estimates.empty()) {
        out += "\nEstimated play time from level " + std::to_string(result.estimatedFrom) +
               " (encounters as often as the enemy lists hold them, each its whole fight; walking not counted):\n";
        for (const Estimate& e : result.estimates)
            out += "  to level " + std::to_string(e.target) + ": " +
                   (e.why.empty() ? Duration(e.seconds) : "never (" + e.why + ")") + "\n";
    }
    return out;
}

}  // namespace

int RunBalance(const BalanceRequest& request) {
    const std::string shown = request.dir.empty() ? std::string(".") : request.dir;
    const CheckResult check = CheckWorld(request.dir);
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    LoadedWorld world;
    std::string why;
    BalanceResult result;
    const bool loaded = Load(request.dir, world, why);
    if (loaded) result = Measure(request, world);
    platform::UseBackend(before);
    ResetGameState();
    if (!loaded) {
        platform::PrintError("ranks balance: " + why + "\n");
        return 2;
    }
    // Before the report, where it is seen first.
    if (check.errors != 0)
        platform::PrintError("ranks balance: warning: " + shown + " has " + std::to_string(check.errors) +
                             (check.errors == 1 ? " error" : " errors") +
                             " (see ranks check): the battles are played as the game reads the files\n");
    if (!world.meantWhy.empty())
        platform::PrintError("ranks balance: " + world.meantWhy +
                             ", so each map is measured at the lowest level that wins it, not at the level it is "
                             "meant for" +
                             (!world.meantGiven ? " (write \"levels:\" and nine levels in world.txt, map 1 first)"
                                                : " (see ranks check)") +
                             "\n");
    result.world = shown;
    const ReportFormat f = request.format;
    platform::PrintOut(f == ReportFormat::kCsv ? Csv(result) : f == ReportFormat::kJson ? Json(result) : Text(result));
    return 0;
}

}  // namespace rf::authoring
