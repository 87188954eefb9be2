#include "authoring/translation_check.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/load_log.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "field/map_files.h"
#include "items/menus.h"
#include "platform/files.h"
#include "text/cp932.h"

namespace rf::authoring {
namespace {

// A name of the world's files: where it is, and the bytes it may have.
struct NameField {
    WorldFileId file;
    std::string_view name;
    std::size_t most;
};

std::vector<NameField> NameFields() {
    std::vector<NameField> out{{{WorldFileKind::kHero}, FixedText(hero.name), sizeof hero.name - 1}};
    for (int k = 0; k < kEnemyKinds; ++k) {
        const EnemyStatus& e = enemyTable.kinds[k];
        out.push_back({{WorldFileKind::kEnemy, k}, FixedText(e.name), sizeof e.name - 1});
    }
    for (int k = 0; k < kAbilities; ++k) {
        const std::size_t cells = static_cast<std::size_t>(AbilityNameCells(k));
        out.push_back({{WorldFileKind::kAbility, k}, FixedText(abilityTable.abilities[k].name), cells});
    }
    return out;
}

std::string Row(int map, int y) {
    std::string row(kMapColumns, ' ');
    for (int x = 0; x < kMapColumns; ++x)
        row[static_cast<std::size_t>(x)] = static_cast<char>(GridCell(OriginColumn(map) + x, OriginRow(map) + y));
    return row;
}

// Whether `text` stands in `row` starting on a character; at `x` if so.
bool Find(const std::string& row, const std::string& text, std::size_t& x) {
    for (x = 0; x + text.size() <= row.size(); x += IsLeadByte(static_cast<unsigned char>(row[x])) ? 2 : 1)
        if (row.compare(x, text.size(), text) == 0) return true;
    return false;
}

void CheckLanguage(std::string_view code) {
    const std::string file = TranslationFile(code);
    const platform::DataFileBytes po = platform::ReadDataFile(DataPath(file), 1 << 20);
    if (po.problem == platform::FileProblem::kMissing) return;
    auto say = [&](int line, Severity severity, Rule rule, std::string message) {
        loadLog.remarks.push_back({file, line, 1, 1, severity, std::move(message), rule, 1});
    };
    std::vector<TranslatedText> texts;
    std::string error;
    if (po.problem != platform::FileProblem::kNone) {
        say(1, Severity::kError, Rule::kTranslationUnreadable,
            "the translation cannot be read (" + std::string(platform::ProblemText(po.problem)) +
                "): the game draws the world's own texts");
        return;
    }
    if (po.cut || !ParseTranslation(po.bytes, texts, error)) {
        say(1, Severity::kError, Rule::kTranslationUnreadable,
            (po.cut ? "larger than 1 MiB" : error) + ": the game draws the world's own texts in " + std::string(code));
        return;
    }
    // The line of the first entry, where a missing text is said.
    const int top = texts.empty() ? 1 : texts.front().line;
    std::vector<bool> used(texts.size(), false);
    for (const NameField& field : NameFields()) {
        if (field.name.empty()) continue;
        const std::string where = WorldFileName(field.file);
        bool found = false;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].context != where || texts[i].original != field.name) continue;
            used[i] = found = true;
            if (texts[i].translated.size() > field.most)
                say(texts[i].line, Severity::kWarning, Rule::kTranslationTooLong,
                    "the translation of " + Cp932ToUtf8(field.name) + " has " +
                        std::to_string(texts[i].translated.size()) + " bytes, more than the " +
                        std::to_string(field.most) + " its place has");
        }
        if (!found)
            say(top, Severity::kWarning, Rule::kTranslationMissing,
                "no translation of " + Cp932ToUtf8(field.name) + " (" + where + "): the game draws it as it is");
    }
    for (int map = 1; map <= kMaps; ++map) {
        const std::string where = WorldFileName({WorldFileKind::kMapForm, map});
        for (int y = 0; y < kMapRows; ++y) {
            const std::string row = Row(map, y);
            std::string covered(row.size(), ' ');
            for (std::size_t i = 0; i < texts.size(); ++i) {
                std::size_t x = 0;
                if (texts[i].context != where || !Find(row, texts[i].original, x)) continue;
                used[i] = true;
                covered.replace(x, texts[i].original.size(), texts[i].original.size(), '*');
                if (texts[i].translated.size() > texts[i].original.size())
                    say(texts[i].line, Severity::kWarning, Rule::kTranslationTooLong,
                        "the translation has " + std::to_string(texts[i].translated.size()) + " cells, more than the " +
                            std::to_string(texts[i].original.size()) + " of the text it covers: the game cuts it");
            }
            // Every character beyond ASCII is a word of the world's language.
            for (std::size_t x = 0; x < row.size(); ++x) {
                if (static_cast<unsigned char>(row[x]) < 0x80 || covered[x] != ' ') continue;
                std::size_t end = x;
                while (end < row.size() && covered[end] == ' ' && row[end] != ' ') ++end;
                say(top, Severity::kWarning, Rule::kTranslationMissing,
                    "no translation of " + Cp932ToUtf8(row.substr(x, end - x)) + " (" + where + " line " +
                        std::to_string(y + 1) + "): the game draws it as it is");
                x = end;
            }
        }
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (!used[i])
            say(texts[i].line, Severity::kWarning, Rule::kTranslationExtra,
                "one too many: " + Cp932ToUtf8(texts[i].original) + " is no text of " +
                    (texts[i].context.empty() ? std::string("the world") : texts[i].context));
}

}  // namespace

void CheckTranslations() {
    // The world's own language needs none.
    for (int l = 1; l < kLanguageCount; ++l) CheckLanguage(kLanguageCodes[l]);
}

}  // namespace rf::authoring
