#include "data_files.h"

#include <cstring>

#include "console/console.h"
#include "platform/console.h"
#include "platform/files.h"
#include "text/sj_literal.h"
#include "token_reader.h"

namespace rf {
namespace {

template <std::size_t N>
bool ReadName(TokenReader& reader, char (&field)[N], const char* what = "name") {
    auto token = reader.Next();
    if (!token) {
        if (Remarking())
            reader.Remark(Severity::kError, "the file ends before the " + std::string(what) +
                                                ": it and the fields after it are not read");
        return false;
    }
    const std::string_view cut = token->substr(0, WholeCharacters(*token, N - 1));
    if (Remarking() && cut.size() < token->size())
        Remark(reader.File(), reader.TokenStart() + cut.size(), Severity::kError, "the " + std::string(what) + " is " + std::to_string(token->size()) +
                                            " bytes, longer than the " + std::to_string(N - 1) +
                                            " its field holds: the game keeps the first " +
                                            std::to_string(cut.size()));
    std::memset(field, 0, N);
    std::memcpy(field, cut.data(), cut.size());
    return true;
}

// A status file that cannot be read: its record stays as it was.
int Unreadable(const TokenReader& reader, const char* consequence) {
    Remark(reader.File(), 0, Severity::kError, std::string(ProblemText(reader.File().problem)) + ": " + consequence);
    return 0;
}

// Reads the fields in order and stops at the first that does not fit.
template <typename... Fields>
void ReadAll(TokenReader& reader, Fields&... fields) {
    (void)(ReadInto(reader, fields) && ...);
}

constexpr const char* kEnemyFiles[6] = {"Pawn_Status_Info.txt",   "Knight_Status_Info.txt", "Bishop_Status_Info.txt",
                                        "Rook_Status_Info.txt",   "Queen_Status_Info.txt",  "King_Status_Info.txt"};
constexpr const char* kAbilityFiles[5] = {"SwordCut.txt", "Flame.txt", "BigRevolveSword.txt", "HellFlame.txt",
                                          "AbsoluteObedience.txt"};

}  // namespace

std::string DataPath(std::initializer_list<std::string_view> parts) {
    std::string path = dataRoot;
    for (std::string_view part : parts) {
        if (!path.empty() && path.back() != platform::PathSeparator()) path += platform::PathSeparator();
        path += part;
    }
    return path;
}

int LoadHeroStatus() {
    TokenReader reader(DataPath({"Hero_Info", "Hero_Status_Info.txt"}));
    if (!reader.Opened()) return Unreadable(reader, "the hero's record stays empty");
    HeroStatus& h = hero;
    if (!ReadName(reader, h.name)) return 1;
    ReadAll(reader, h.maxHp, h.attack, h.defence, h.magicAttack, h.magicDefence, h.speed, h.nextExp, h.exp, h.level,
            h.reserved[0], h.reserved[1], h.reserved[2], h.reserved[3], h.items[0].number, h.items[0].count,
            h.items[1].number, h.items[1].count, h.items[2].number, h.items[2].count, h.fieldX, h.fieldY);
    return 1;
}

int LoadEnemyStatus(EnemyStatus& e, const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) return Unreadable(reader, "this kind's record and those of the kinds after it stay empty");
    if (!ReadName(reader, e.name)) return 1;
    if (!ReadInto(reader, e.kind)) return 1;
    if (!ReadName(reader, e.symbol, "symbol")) return 1;
    ReadAll(reader, e.reserved, e.target, e.maxHp, e.attack, e.defence, e.magicAttack, e.magicDefence, e.speed,
            e.ability);
    return 1;
}

int LoadAllEnemyStatus() {
    for (int k = 0; k < 6; ++k) {
        EnemyStatus& record = enemyTable.kinds[k];
        if (!LoadEnemyStatus(record, DataPath({"Enemy_Info", kEnemyFiles[k]}))) return 0;
        if (k < 4)
            for (auto& slot : record.hpSlots) slot = record.maxHp;
    }
    return 1;
}

int LoadAbilityInfo(AbilityInfo& a, const std::string& path) {
    TokenReader reader(path);
    if (!reader.Opened()) return Unreadable(reader, "this ability's record and those after it stay empty");
    if (!ReadName(reader, a.name)) return 1;
    ReadAll(reader, a.reserved, a.power, a.accuracy);
    return 1;
}

int LoadAllAbilities() {
    for (int k = 0; k < 5; ++k)
        if (!LoadAbilityInfo(abilityTable.abilities[k], DataPath({"Abilities", kAbilityFiles[k]}))) return 0;
    return 1;
}

void StopForMissingFile(const WorldFile& file) {
    Remark(file, 0, Severity::kError, std::string(ProblemText(file.problem)) + ": the game stops here");
    platform::SetFarewell("ranks: " + file.name + ": " + std::string(ProblemText(file.problem)) + "\n");
    StopForMissingFile();
}

void StopForMissingFile() {
    WriteLine("ファイルが存在しないため情報の初期化に失敗しました。"_sj);
    WriteLine("ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。"_sj);
    WriteLine("ファイルが見つからない場合はもう一度ダウンロードしてください。"_sj);
    WriteLine(" 30 秒後に強制終了しますので手動で閉じないでください。"_sj);
    const std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. Sleeping keeps the core idle.
    while (platform::ClockSeconds() - noted < 30) platform::Sleep(100);
    platform::Exit(-1);
}

}  // namespace rf
