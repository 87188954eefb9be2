#include "authoring/balance.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "battle/attack.h"
#include "battle/battle_driver.h"
#include "battle/formulas.h"
#include "console/console.h"
#include "console/message_window.h"
#include "core/data_files.h"
#include "core/game_state.h"
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

// Levels 1 and 5, and each level that opens another ability.
constexpr int kLevels[] = {1, 5, kAbilityUnlockLevels[2], kAbilityUnlockLevels[3], kAbilityUnlockLevels[4]};
// What the estimate adds to a battle's own game time: the two wipes of an
// encounter, and the player's reading and choosing, per key pressed.
constexpr double kPerKeySeconds = 0.5;
constexpr std::uint32_t kGrowthSeed = 20240601;
constexpr std::int64_t kFirstBattleClock = 1'700'000'000;

struct Encounter {
    int kind = 1;  // 1 Pawn to 4 Rook: the record the game fights
    int group = 1;
    int weight = 0;  // how often the world's enemy lists hold it
};

struct Row {
    int level = 0;
    Encounter encounter{};
    int wins = 0;
    std::vector<int> actions;
    std::vector<std::int64_t> gameMs;
    std::vector<int> keys;
    double experience = 0;  // summed over all battles
};

// The fixed policy, as a player at the keyboard: strike with the strongest
// ability the level allows, drink a potion below a third of the hit points.
// It is asked for keys whenever the battle waits for one; it knows where
// the battle waits from the records and the screen.
class Policy {
public:
    explicit Policy(int ability) : ability_(ability) {}

    void Supply() {
        // A message waits for its acknowledgement when the cursor stands at
        // the end of the newest text of the window's first line.
        const auto& screen = headless::Screen();
        const bool message = screen.CursorY() == kMessageTop &&
                             screen.CursorX() == battleLeft + 2 + static_cast<int>(messageWindow.history[0].size());
        if (message || battle.remaining == 0 || hero.hp <= 0) return Press(kKeyEnter);
        if (battle.defeatedCount != defeatedSeen) {
            // A fall ends the turn and leads back to the commands.
            defeatedSeen = battle.defeatedCount;
            where_ = Where::kCommands;
        }
        const bool potion = hero.hp * 3 < hero.maxHp && hero.items[kPotion].count > 0;
        switch (where_) {
            case Where::kUnknown:
                Press(kKeySpace);  // back to the commands from any menu, ignored there
                where_ = Where::kCommands;
                return;
            case Where::kCommands: {
                const int want = potion ? 2 : 0;
                for (int c = battle.commandCursor; c > want; --c) Press(kKeyUp);
                for (int c = battle.commandCursor; c < want; ++c) Press(kKeyDown);
                Press(kKeyEnter);
                where_ = potion ? Where::kItems : Where::kTargets;
                return;
            }
            case Where::kTargets:
                Press(kKeyEnter);  // the target the game offers
                where_ = Where::kAbilities;
                return;
            case Where::kAbilities:
                if (potion) {
                    Press(kKeySpace);
                    where_ = Where::kCommands;
                    return;
                }
                for (int c = battle.abilityCursor; c < ability_; ++c) Press(kKeyDown);
                for (int c = battle.abilityCursor; c > ability_; --c) Press(kKeyUp);
                Press(kKeyEnter);
                ++actions;
                return;  // still in the menu unless an enemy falls
            case Where::kItems:
                for (int c = battle.itemCursor; c > kPotion; --c) Press(kKeyUp);
                Press(kKeyEnter);
                ++actions;
                where_ = Where::kUnknown;  // the item menu stays open
                return;
        }
    }

    int actions = 0;
    int keys = 0;
    std::int16_t defeatedSeen = 0;

private:
    enum class Where { kUnknown, kCommands, kTargets, kAbilities, kItems };
    void Press(int code) {
        headless::Key(code);
        ++keys;
    }
    int ability_;
    Where where_ = Where::kCommands;
};

// The index of the strongest ability (the greatest power) the level allows.
int StrongestAbility(int level) {
    int best = 0;
    for (int a = 1; a < AvailableAbilities(level) && a < 5; ++a)
        if (abilityTable.abilities[a].power >= abilityTable.abilities[best].power) best = a;
    return best;
}

std::vector<Encounter> EncountersOfWorld() {
    std::vector<Encounter> found;
    for (int m = 1; m <= 9; ++m) {
        hero.mapNumber = static_cast<std::int16_t>(m);
        try {
            LoadMapEnemies(worldNumber);
        } catch (const headless::ExitCalled&) {
            platform::TakeFarewell();
            continue;  // the game would stop on entering this map
        }
        for (int i = 0; i < fieldEnemies.count; ++i) {
            const FieldEnemy& e = fieldEnemies.entries[i];
            if (IsEmptyEntry(e)) continue;
            const int kind = static_cast<int>(&EnemyRecordOf(e.kind) - enemyTable.kinds) + 1;
            auto it = std::find_if(found.begin(), found.end(),
                                   [&](const Encounter& f) { return f.kind == kind && f.group == e.groupSize; });
            if (it == found.end()) found.push_back({kind, e.groupSize, 1});
            else ++it->weight;
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Encounter& a, const Encounter& b) { return a.kind != b.kind ? a.kind < b.kind : a.group < b.group; });
    return found;
}

// One battle of the game against the encounter; the hero as grown, his
// experience counted from zero with no level-up within the battle.
void PlayBattle(const HeroStatus& grown, const Encounter& encounter, int ability, int index, Row& row) {
    headless::Reset(kFirstBattleClock + index);
    hero = grown;
    hero.exp = 0;
    hero.nextExp = 0xFFFFFFFFu;
    battle = {};
    itemEffects = {};
    messageWindow = {};
    console = {};
    EnemyStatus& enemy = enemyTable.kinds[encounter.kind - 1];
    Policy policy(ability);
    headless::SetKeySupplier([&policy] { policy.Supply(); });
    try {
        RunBattle(enemy, static_cast<std::int16_t>(encounter.group));
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::Watchdog&) {
    }
    headless::SetKeySupplier(nullptr);
    const bool won = hero.hp > 0 && hero.exp > 0;
    row.wins += won ? 1 : 0;
    row.experience += hero.exp;
    row.actions.push_back(policy.actions);
    row.keys.push_back(policy.keys);
    row.gameMs.push_back(headless::NowMs());
}

template <typename T>
double Median(std::vector<T> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? static_cast<double>(v[n / 2]) : (static_cast<double>(v[n / 2 - 1]) + static_cast<double>(v[n / 2])) / 2;
}

template <typename T>
double Mean(const std::vector<T>& v) {
    double sum = 0;
    for (T x : v) sum += static_cast<double>(x);
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

std::string Duration(double seconds) {
    const long long s = static_cast<long long>(seconds + 0.5);
    if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s / 3600) + " h " + std::to_string(s / 60 % 60) + " min";
}

}  // namespace

int RunBalance(const std::string& dir, int battles) {
    const platform::Backend& before = platform::ActiveBackend();
    platform::UseBackend(platform::HeadlessBackend());
    headless::Reset();
    ResetGameState();
    dataRoot = dir;
    LoadHeroStatus();
    LoadAllEnemyStatus();
    LoadAllAbilities();
    const std::vector<Encounter> encounters = EncountersOfWorld();
    if (hero.maxHp <= 0 || encounters.empty()) {
        platform::UseBackend(before);
        platform::PrintError(std::string("ranks balance: ") +
                             (hero.maxHp <= 0 ? "the hero has no hit points (see ranks check)\n"
                                              : "no enemy list of this world holds an enemy\n"));
        return 2;
    }

    // The hero grown level by level with the game's own level-up, from a
    // fixed seed; the experience each level took is kept for the estimate.
    SeedBattleRandom(kGrowthSeed);
    HeroStatus grown[26] = {};
    double experienceTo[26] = {};
    const int startLevel = hero.level;
    for (HeroStatus h = hero; h.level <= 25 && h.level >= 0;) {
        grown[h.level] = h;
        if (h.level == 25 || h.nextExp == 0) break;
        const int level = h.level;
        experienceTo[level + 1] = experienceTo[level] + h.nextExp;
        h.exp = h.nextExp;
        GainLevels(h);
        if (h.level != level + 1) break;
    }

    std::vector<int> levels;
    for (int level : kLevels)
        if (level >= startLevel && grown[level].maxHp > 0) levels.push_back(level);
    std::vector<Row> rows;
    const long long total = static_cast<long long>(levels.size() * encounters.size()) * battles;
    long long played = 0;
    const auto started = std::chrono::steady_clock::now();
    auto lastReport = started;
    for (int level : levels) {
        const int ability = StrongestAbility(level);
        for (const Encounter& encounter : encounters) {
            Row row;
            row.level = level;
            row.encounter = encounter;
            for (int i = 0; i < battles; ++i) {
                PlayBattle(grown[level], encounter, ability, i, row);
                ++played;
                const auto now = std::chrono::steady_clock::now();
                if (now - lastReport >= std::chrono::seconds(1)) {
                    lastReport = now;
                    platform::PrintError("ranks balance: " + std::to_string(played) + " of " + std::to_string(total) +
                                         " battles\n");
                }
            }
            rows.push_back(std::move(row));
        }
    }
    platform::UseBackend(before);
    ResetGameState();

    std::string out = "Balance of " + (dir.empty() ? std::string(".") : dir) + ": " + std::to_string(battles) +
                      " battles per row, fixed seeds; the hero grown with the game's level-ups.\n"
                      "The policy: the strongest ability the level allows, a potion below a third of the hit points.\n\n";
    out += "level  enemy   group  win rate  median actions  median time  exp/battle\n";
    for (const Row& r : rows) {
        char line[160];
        std::snprintf(line, sizeof line, "%5d  %-6s  %5d  %7.1f%%  %14.1f  %9.1f s  %10.1f\n", r.level,
                      std::string(kKindNames[r.encounter.kind - 1]).c_str(), r.encounter.group, 100.0 * r.wins / battles, Median(r.actions),
                      Median(r.gameMs) / 1000.0, r.experience / battles);
        out += line;
    }

    // Play time: the encounters come as often as the world's enemy lists
    // hold them; each costs its battle, the two wipes and the player's keys.
    const double wipes = 2.0 * kMapRows * kWipeFrameMs / 1000.0;
    out += "\nEstimated play time (encounters as often as the enemy lists hold them; each battle's game\n"
           "time, " + Format("%.1f", wipes) + " s of wipes and " + Format("%.1f", kPerKeySeconds) +
           " s per key pressed; walking not counted):\n";
    double seconds = 0;
    bool reachable = true;
    for (std::size_t band = 0; band < levels.size() && reachable; ++band) {
        // From this measured level up to the next one, at this level's rates.
        const int from = levels[band];
        const int to = band + 1 < levels.size() ? levels[band + 1] : 25;
        if (from >= to) break;
        double time = 0, experience = 0;
        for (const Row& r : rows) {
            if (r.level != from) continue;
            const double perBattle = Mean(r.gameMs) / 1000.0 + wipes +
                                     kPerKeySeconds * Mean(r.keys);
            time += r.encounter.weight * perBattle;
            experience += r.encounter.weight * r.experience / battles;
        }
        if (experience <= 0) reachable = false;
        else seconds += time / experience * (experienceTo[to] - experienceTo[from]);
        for (int target : {12, 18, 25})
            if (target == to && target > startLevel)
                out += "  to level " + std::to_string(target) + ": " + (reachable ? Duration(seconds) : "never (no battle won)") + "\n";
    }
    platform::PrintOut(out);
    return 0;
}

}  // namespace rf::authoring
