#include "authoring/translation_check.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/load_log.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "field/map_files.h"
#include "items/menus.h"
#include "platform/files.h"
#include "text/cp932.h"

namespace rf::authoring {
namespace {

// Where token `index` of a loaded token file stood (1:1 when unknown).
LoadToken TokenAt(const std::string& file, std::size_t index) {
    for (const auto& [name, tokens] : loadLog.tokens)
        if (name == file && index < tokens.size()) return tokens[index];
    return {1, 1, 1, 1};
}

void Say(const std::string& file, LoadToken at, Severity severity, Rule rule, std::string message) {
    loadLog.remarks.push_back({file, at.line, at.column, at.byteColumn == 0 ? at.column : at.byteColumn, severity,
                               std::move(message), rule, at.charColumn == 0 ? at.column : at.charColumn});
}

std::string Row(int map, int y) {
    std::string row(kMapColumns, ' ');
    for (int x = 0; x < kMapColumns; ++x)
        row[static_cast<std::size_t>(x)] = static_cast<char>(GridCell(OriginColumn(map) + x, OriginRow(map) + y));
    return row;
}

// Whether `text` stands in `row` starting on a character, from `x` on; at `x` if so.
bool Find(const std::string& row, const std::string& text, std::size_t& x) {
    for (; x + text.size() <= row.size(); x += IsLeadByte(static_cast<unsigned char>(row[x])) ? 2 : 1)
        if (row.compare(x, text.size(), text) == 0) return true;
    return false;
}

std::size_t CharLength(const std::string& row, std::size_t x) {
    return IsLeadByte(static_cast<unsigned char>(row[x])) && x + 1 < row.size() ? 2 : 1;
}

// Kana, kanji and letters: what a player reads as words.
bool Reads(std::uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0x0391 && c <= 0x03C9) ||
           (c >= 0x0401 && c <= 0x0451) || (c >= 0x3041 && c <= 0x30FA) || c == 0x30FC || c == 0x3005 ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) ||
           (c >= 0xFF66 && c <= 0xFF9F);
}

// A run the player reads: two characters that read at least, not one repeated, none of them decoration.
bool IsText(std::string_view run, std::string_view decoration) {
    std::vector<std::string_view> read;
    for (std::size_t i = 0; i < run.size();) {
        std::size_t n = 0;
        const std::uint16_t code = Cp932CodeAt(run, i, n);
        const std::string_view c = run.substr(i, n);
        i += n;
        bool listed = false;
        for (std::size_t d = 0; d < decoration.size() && !listed;) {
            std::size_t m = 0;
            Cp932CodeAt(decoration, d, m);
            listed = decoration.substr(d, m) == c;
            d += m;
        }
        if (!listed && Reads(UnicodeOf(code))) read.push_back(c);
    }
    return read.size() >= 2 && std::any_of(read.begin(), read.end(), [&](auto c) { return c != read.front(); });
}

// The runs of `row` that `covered` leaves: non-blank cells with no two blanks in a row, that
// hold a character beyond ASCII, trimmed of ASCII signs at both ends (the frames and walls around
// a sign); those the player reads, each with its column.
std::vector<std::pair<std::size_t, std::string>> TextRuns(const std::string& row, const std::string& covered) {
    std::vector<std::pair<std::size_t, std::string>> out;
    auto sign = [&](std::size_t x) {
        const auto c = static_cast<unsigned char>(row[x]);
        return c < 0x80 && !(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z');
    };
    for (std::size_t x = 0; x < row.size();) {
        if (row[x] == ' ' || covered[x] != ' ') {
            ++x;
            continue;
        }
        std::size_t end = x, last = x;  // `last`: past the last character that is no ASCII sign
        std::size_t first = row.size();
        bool wide = false;
        while (end < row.size() && covered[end] == ' ' &&
               (row[end] != ' ' || (end + 1 < row.size() && row[end + 1] != ' ' && covered[end + 1] == ' '))) {
            const std::size_t n = CharLength(row, end);
            if (row[end] != ' ' && !sign(end)) {
                first = std::min(first, end);
                last = end + n;
            }
            wide = wide || static_cast<unsigned char>(row[end]) >= 0x80;
            end += n;
        }
        if (wide && first < last && IsText(std::string_view(row).substr(first, last - first), worldAbout.decoration))
            out.push_back({first, row.substr(first, last - first)});
        x = std::max(end, x + 1);
    }
    return out;
}

// The names the game draws, and the Queen's and the King's, which it never does.
void NameTexts(std::vector<WorldTextPlace>& out) {
    auto add = [&](WorldFileId id, std::string_view name, std::size_t cells, std::string what, bool drawn) {
        const std::string file = WorldFileName(id);
        if (!name.empty()) out.push_back({file, std::string(name), TokenAt(file, 0), cells, std::move(what), drawn});
    };
    add({WorldFileKind::kHero}, FixedText(hero.name), sizeof hero.name - 1,
        "The hero's name: the battle's banner, its messages and the level-up panel", true);
    for (int k = 0; k < kEnemyKinds; ++k) {
        const EnemyStatus& e = enemyTable.kinds[k];
        const bool fights = k < 4;  // the Queen and the King are only marks
        add({WorldFileKind::kEnemy, k}, FixedText(e.name), sizeof e.name - 1,
            fights ? "An enemy's name: the battle's banner and its messages"
                   : "A name the game never draws (the " + std::string(kKindNames[k]) + " is only a mark)",
            fights);
    }
    for (int k = 0; k < kAbilities; ++k)
        add({WorldFileKind::kAbility, k}, FixedText(abilityTable.abilities[k].name),
            static_cast<std::size_t>(AbilityNameCells(k)), "An ability's name in the ability menu", true);
}

// The entries of `texts` that cover a text of map `map`'s row `y`, marked used and in `covered`.
std::string Covered(const std::vector<TranslatedText>& texts, std::vector<bool>& used, int map,
                    const std::string& row) {
    const std::string where = WorldFileName({WorldFileKind::kMapForm, map});
    std::string covered(row.size(), ' ');
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].context != where || texts[i].original.empty()) continue;
        for (std::size_t x = 0; Find(row, texts[i].original, x); x += texts[i].original.size()) {
            used[i] = true;
            covered.replace(x, texts[i].original.size(), texts[i].original.size(), '*');
        }
    }
    return covered;
}

void MapTexts(std::vector<WorldTextPlace>& out, const std::vector<TranslatedText>& texts, std::vector<bool>& used) {
    for (int map = 1; map <= kMaps; ++map) {
        const std::string where = WorldFileName({WorldFileKind::kMapForm, map});
        for (int y = 0; y < kMapRows; ++y) {
            const std::string row = Row(map, y);
            const std::string covered = Covered(texts, used, map, row);
            for (const auto& [x, text] : TextRuns(row, covered))
                out.push_back({where, text,
                               MapCellSource(WorldFilePath({WorldFileKind::kMapForm, map}), static_cast<int>(x), y),
                               text.size(),
                               "A sign on map " + std::to_string(map) + ", row " + std::to_string(y + 1) +
                                   " from column " + std::to_string(x + 1) +
                                   " (counted from 1): the translation is cut or filled to the cells of the text",
                               true});
        }
    }
}

// Language codes the game knows, said as a list.
std::string Codes() {
    std::string out;
    for (int l = 1; l < kLanguageCount; ++l) out += (out.empty() ? "" : ", ") + std::string(kLanguageCodes[l]);
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// The language a misnamed file was meant for ("en_US", "EN", "en-GB"), if one is.
std::string MeantLanguage(const std::string& stem) {
    const std::string head = Lower(stem.substr(0, stem.find_first_of("_-.@")));
    for (int l = 0; l < kLanguageCount; ++l)
        if (head == kLanguageCodes[l]) return std::string(kLanguageCodes[l]);
    return "";
}

// Files of translations the game never reads: a name that is no language, a folder of another name.
void CheckTranslationFiles() {
    for (const std::string& name : platform::DirectoryNames(DataPath(kTranslationsFolder))) {
        if (!name.ends_with(".po")) continue;
        const std::string stem = name.substr(0, name.size() - 3);
        const std::string file = std::string(kTranslationsFolder) + "/" + name;
        const std::string meant = MeantLanguage(stem);
        if (meant == kLanguageCodes[0] && stem == meant)
            Say(file, {1, 1, 1, 1}, Severity::kWarning, Rule::kTranslationFileName,
                "the game never reads " + name + ": " + meant +
                    " is the world's own language, drawn from its files as they are");
        else if (meant.empty() || stem != meant)
            Say(file, {1, 1, 1, 1}, Severity::kWarning, Rule::kTranslationFileName,
                "the game never reads " + name + ": a translation is named after a language of the game (" + Codes() +
                    ")" + (meant.empty() || meant == kLanguageCodes[0] ? "" : "; did you mean " + meant + ".po?"));
    }
    for (const std::string& folder : platform::DirectoryNames(dataRoot)) {
        if (folder == kTranslationsFolder) continue;
        for (const std::string& name : platform::DirectoryNames(DataPath(folder)))
            if (name.ends_with(".po")) {
                Say(folder + "/" + name, {1, 1, 1, 1}, Severity::kWarning, Rule::kTranslationFolder,
                    "the game reads translations from the folder " + std::string(kTranslationsFolder) +
                        "/ only, never from " + folder + "/: rename the folder " + std::string(kTranslationsFolder));
                break;
            }
    }
}

// One language's translation file as read, and which of its entries translate a text of the world.
struct Translation {
    std::string file, lang;
    std::vector<TranslatedText> texts;
    std::vector<bool> used;
};

void SayMissing(const Translation& t, const WorldTextPlace& place) {
    Say(place.context, place.at, Severity::kWarning, Rule::kTranslationMissing,
        "no translation of " + Cp932ToUtf8(place.text) + " in " + t.file + ": with --lang " + t.lang +
            " the game draws it as it is; add its entry (ranks check --pot writes every text to translate)");
}

// The named texts (names, titles, the world's own words): each entry that
// translates one is used, and cut when longer than its place.
void CheckNamedTexts(Translation& t) {
    std::vector<WorldTextPlace> places;
    NameTexts(places);
    for (const WorldTextPlace& p : places) {
        bool found = false;
        for (std::size_t i = 0; i < t.texts.size(); ++i) {
            const TranslatedText& entry = t.texts[i];
            if (entry.context != p.context || entry.original != p.text) continue;
            t.used[i] = found = true;
            if (entry.translated.size() > p.cells)
                Say(t.file, entry.textAt, Severity::kWarning, Rule::kTranslationTooLong,
                    "the translation of " + Cp932ToUtf8(p.text) + " has " + std::to_string(entry.translated.size()) +
                        " bytes, more than the " + std::to_string(p.cells) + " its place has: the game cuts it");
        }
        if (!found && p.drawn) SayMissing(t, p);
    }
}

// The signs: each entry covers its text wherever the map has it; a text
// left uncovered is missing, and an entry longer than its text is cut.
void CheckSigns(Translation& t) {
    std::vector<WorldTextPlace> signs;
    MapTexts(signs, t.texts, t.used);
    for (const WorldTextPlace& sign : signs) SayMissing(t, sign);
    for (std::size_t i = 0; i < t.texts.size(); ++i) {
        const TranslatedText& entry = t.texts[i];
        if (!entry.context.starts_with("map_form/") || !t.used[i]) continue;
        if (entry.translated.size() > entry.original.size())
            Say(t.file, entry.textAt, Severity::kWarning, Rule::kTranslationTooLong,
                "the translation has " + std::to_string(entry.translated.size()) + " cells, more than the " +
                    std::to_string(entry.original.size()) + " of the text it covers: the game cuts it");
    }
}

// Entries that translate no text of the world.
void SayExtraEntries(const Translation& t) {
    for (std::size_t i = 0; i < t.texts.size(); ++i)
        if (!t.used[i])
            Say(t.file, t.texts[i].at, Severity::kWarning, Rule::kTranslationExtra,
                "one too many: " + Cp932ToUtf8(t.texts[i].original) + " is no text of " +
                    (t.texts[i].context.empty() ? std::string("the world (an entry's msgctxt names the world's file)")
                                                : t.texts[i].context));
}

void CheckLanguage(std::string_view code) {
    Translation t{TranslationFile(code), std::string(code), {}, {}};
    if (ReadTranslation(t.file, t.texts) != TranslationRead::kRead) return;
    t.used.assign(t.texts.size(), false);
    CheckNamedTexts(t);
    CheckSigns(t);
    SayExtraEntries(t);
}

// UTF-8 text as it stands between a PO string's quotes.
std::string PoText(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string PoString(const std::string& cp932) { return "\"" + PoText(Cp932ToUtf8(cp932)) + "\""; }

}  // namespace

std::vector<WorldTextPlace> TextsToTranslate() {
    std::vector<WorldTextPlace> out;
    NameTexts(out);
    std::vector<bool> unused;
    MapTexts(out, {}, unused);
    return out;
}

std::string TranslationTemplate() {
    std::string out =
        "# The texts of this world to translate. Copy this file to translations/LANG.po (" + Codes() +
        ") and fill in each msgstr; an entry left empty is drawn as the world has it.\n"
        "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: " +
        PoText(WorldName().empty() ? std::string("a world of Ranks & Files") : Cp932ToUtf8(WorldName())) +
        "\\n\"\n\"PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\\n\"\n\"Last-Translator: FULL NAME <EMAIL@ADDRESS>\\n\"\n"
        "\"Language-Team: LANGUAGE <LL@li.org>\\n\"\n\"Language: \\n\"\n\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n";
    std::vector<std::pair<std::string, std::string>> written;  // context and text, each once
    for (const WorldTextPlace& p : TextsToTranslate()) {
        if (std::find(written.begin(), written.end(), std::pair{p.context, p.text}) != written.end()) continue;
        written.push_back({p.context, p.text});
        out += "\n#. " + p.what + ". " + std::to_string(p.cells) + " cells.\n#: " + p.context + ":" +
               std::to_string(p.at.line) + "\nmsgctxt " + PoString(p.context) + "\nmsgid " + PoString(p.text) +
               "\nmsgstr \"\"\n";
    }
    return out;
}

void CheckTranslations() {
    CheckTranslationFiles();
    // The world's own language needs none.
    for (int l = 1; l < kLanguageCount; ++l) CheckLanguage(kLanguageCodes[l]);
}

}  // namespace rf::authoring
