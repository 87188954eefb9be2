#include "core/data_files.h"

#include <cstring>

#include "core/load_log.h"
#include "core/token_reader.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

template <std::size_t N>
bool ReadName(TokenReader& reader, char (&field)[N], const char* what = "name") {
    auto token = reader.Next();
    if (!token) {
        if (Remarking()) loadLog.stopped.push_back(reader.File().name);
        if (Remarking())
            reader.Remark(
                Severity::kError, Rule::kFileEnds,
                "the file ends before the " + std::string(what) + ": it and the fields after it are not read");
        return false;
    }
    const std::string_view cut = token->substr(0, WholeCharacters(*token, N - 1));
    if (Remarking() && cut.size() < token->size())
        Remark(reader.File(), reader.TokenStart() + cut.size(), Severity::kError, Rule::kTextCut,
               "the " + std::string(what) + " is " + std::to_string(token->size()) + " bytes, longer than the " +
                   std::to_string(N - 1) + " its field holds: the game keeps the first " + std::to_string(cut.size()));
    std::memset(field, 0, N);
    std::memcpy(field, cut.data(), cut.size());
    return true;
}

// A status file that cannot be read: its record stays as it was.
int Unreadable(const TokenReader& reader, const char* consequence) {
    Remark(reader.File(), 0, Severity::kError, Rule::kUnreadable, ProblemSaid(reader.File()) + ": " + consequence);
    return 0;
}

// Reads the fields in order and stops at the first that does not fit.
template <typename... Fields>
bool ReadAll(TokenReader& reader, Fields&... fields) {
    return (ReadInto(reader, fields) && ...);
}

}  // namespace

int LoadHeroStatus() {
    TokenReader reader(WorldFilePath({WorldFileKind::kHero}));
    if (!reader.Opened()) return Unreadable(reader, "the hero's record stays empty");
    reader.NameFields(kHeroFields);
    HeroStatus& h = hero;
    if (!ReadName(reader, h.name)) return 1;
    if (!ReadAll(reader, h.maxHp, h.attack, h.defence, h.magicAttack, h.magicDefence, h.speed, h.nextExp, h.exp,
                 h.level, h.reserved[0], h.reserved[1], h.reserved[2], h.reserved[3]))
        return 1;
    for (ItemSlot& item : h.items)
        if (!ReadAll(reader, item.number, item.count)) return 1;
    ReadAll(reader, h.fieldX, h.fieldY);
    return 1;
}

int LoadEnemyStatus(EnemyStatus& e, const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) return Unreadable(reader, "this kind's record and those of the kinds after it stay empty");
    reader.NameFields(kEnemyFields);
    if (!ReadName(reader, e.name)) return 1;
    if (!ReadInto(reader, e.kind)) return 1;
    if (!ReadName(reader, e.symbol, "symbol")) return 1;
    ReadAll(reader, e.reserved, e.target, e.maxHp, e.attack, e.defence, e.magicAttack, e.magicDefence, e.speed,
            e.ability);
    return 1;
}

int LoadAllEnemyStatus() {
    for (int k = 0; k < kEnemyKinds; ++k) {
        EnemyStatus& record = enemyTable.kinds[k];
        if (!LoadEnemyStatus(record, WorldFilePath({WorldFileKind::kEnemy, k}))) return 0;
        if (k < 4)
            for (auto& slot : record.hpSlots) slot = record.maxHp;
    }
    return 1;
}

int LoadAbilityInfo(AbilityInfo& a, const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) return Unreadable(reader, "this ability's record and those after it stay empty");
    reader.NameFields(kAbilityFields);
    if (!ReadName(reader, a.name)) return 1;
    ReadAll(reader, a.reserved, a.power, a.accuracy);
    return 1;
}

int LoadAllAbilities() {
    for (int k = 0; k < kAbilities; ++k)
        if (!LoadAbilityInfo(abilityTable.abilities[k], WorldFilePath({WorldFileKind::kAbility, k}))) return 0;
    return 1;
}

}  // namespace rf
