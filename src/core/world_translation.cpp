#include "core/world_translation.h"

#include "core/catalogue.h"
#include "core/game_state.h"
#include "core/world_folder.h"
#include "platform/files.h"
#include "text/cp932.h"

namespace rf {
namespace {

// The body of a quoted PO string, its escapes undone; false when it is not one.
bool Unquoted(std::string_view text, std::string& out) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
    text = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') return false;
        if (c == '\\') {
            if (++i == text.size()) return false;
            switch (text[i]) {
                case 'n': c = '\n'; break;
                case 't': c = '\t'; break;
                case '"':
                case '\\': c = text[i]; break;
                default: return false;
            }
        }
        out.push_back(c);
    }
    return true;
}

}  // namespace

std::string TranslationFile(std::string_view code) {
    return std::string(kTranslationsFolder) + "/" + std::string(code) + ".po";
}

bool ParseTranslation(std::string_view po, std::vector<TranslatedText>& out, std::string& error) {
    out.clear();
    TranslatedText entry;
    std::string* field = nullptr;
    bool fuzzy = false;
    int number = 0;
    auto finish = [&] {
        if (!entry.original.empty() && !entry.translated.empty() && !fuzzy) out.push_back(entry);
        entry = {};
        field = nullptr;
        fuzzy = false;
    };
    for (std::size_t at = 0; at <= po.size();) {
        std::size_t end = po.find('\n', at);
        if (end == std::string_view::npos) end = po.size();
        std::string_view line = po.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string utf8;
        std::string_view rest;
        if (line.empty()) {
            finish();
            continue;
        }
        if (line.starts_with("#")) {
            if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) fuzzy = true;
            continue;
        }
        if (line.starts_with("msgctxt ")) field = &entry.context, rest = line.substr(8);
        else if (line.starts_with("msgid ")) field = &entry.original, rest = line.substr(6), entry.line = number;
        else if (line.starts_with("msgstr ")) field = &entry.translated, rest = line.substr(7);
        else if (line.starts_with("\"") && field != nullptr) rest = line;
        else {
            error = "line " + std::to_string(number) + ": not a line of a PO file";
            return false;
        }
        std::string cp932;
        if (!Unquoted(rest, utf8)) {
            error = "line " + std::to_string(number) + ": not a quoted text";
            return false;
        }
        if (!Utf8ToCp932Exactly(utf8, cp932)) {
            error = "line " + std::to_string(number) + ": a character the game cannot show";
            return false;
        }
        field->append(cp932);
    }
    finish();
    return true;
}

void LoadWorldTranslation() {
    worldTranslation = {};
    if (language <= 0 || language >= kLanguageCount) return;
    const platform::DataFileBytes file =
        platform::ReadDataFile(DataPath(TranslationFile(kLanguageCodes[language])), 1 << 20);
    std::string error;
    if (file.problem != platform::FileProblem::kNone || file.cut ||
        !ParseTranslation(file.bytes, worldTranslation.texts, error))
        worldTranslation.texts.clear();  // the world's own texts, as `ranks check` says why
}

std::string_view WorldText(std::string_view original) {
    if (const std::size_t end = original.find('\0'); end != std::string_view::npos) original = original.substr(0, end);
    for (const TranslatedText& t : worldTranslation.texts)
        if (t.original == original && !t.context.starts_with("map_form/")) return t.translated;
    return original;
}

}  // namespace rf
