#include "core/world_about.h"

#include <algorithm>

#include "core/catalogue.h"
#include "core/game_state.h"
#include "core/world_file.h"
#include "core/world_folder.h"
#include "text/cp932.h"

namespace rf {

WorldAbout worldAbout;

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::string* FieldOf(WorldAbout& about, std::string_view key) {
    std::string* const fields[] = {&about.name,        &about.author,     &about.version, &about.licence,
                                   &about.description, &about.decoration, &about.levels};
    for (std::size_t i = 0; i < std::size(kWorldAboutFields); ++i)
        if (kWorldAboutFields[i] == key) return fields[i];
    return nullptr;
}

std::string FieldList() {
    std::string out;
    for (std::string_view f : kWorldAboutFields) out += (out.empty() ? "" : ", ") + std::string(f);
    return out + ", and name.LANG or description.LANG for another language";
}

bool IsLanguage(std::string_view code) {
    return std::find(std::begin(kLanguageCodes), std::end(kLanguageCodes), code) != std::end(kLanguageCodes);
}

// One line, "key: value"; a comment (#) or a blank line says nothing.
void ReadField(const WorldFile& file, std::size_t at, std::string_view line) {
    if (Trimmed(line).empty() || Trimmed(line).starts_with('#')) return;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        Remark(file, at, Severity::kWarning, Rule::kWorldFile,
               "a line without \"key: value\": the game ignores it (the keys are " + FieldList() + ")");
        return;
    }
    const std::string key(Trimmed(line.substr(0, colon)));
    const std::string value(Trimmed(line.substr(colon + 1)));
    const std::size_t dot = key.find('.');
    if (dot != std::string::npos && (key.starts_with("name.") || key.starts_with("description."))) {
        const std::string language = key.substr(dot + 1);
        if (!IsLanguage(language))
            Remark(file, at + dot + 1, Severity::kWarning, Rule::kWorldFile,
                   language + " is no language of the game: the game never shows this line");
        else worldAbout.translated.push_back({key.substr(0, dot), language, value});
        return;
    }
    std::string* field = FieldOf(worldAbout, key);
    if (field == nullptr) {
        Remark(file, at, Severity::kWarning, Rule::kWorldFile,
               "the key " + Cp932ToUtf8(key) + " is none the game knows: it ignores the line (the keys are " +
                   FieldList() + ")");
        return;
    }
    if (!field->empty())
        Remark(file, at, Severity::kWarning, Rule::kWorldFile,
               "a second " + key + ": the game takes this one, not the one before");
    *field = value;
    if (field == &worldAbout.levels) {
        const std::size_t start = line.find_first_not_of(" \t", colon + 1);
        worldAbout.levelsAt = at + (start == std::string_view::npos ? line.size() : start);
    }
}

}  // namespace

void LoadWorldAbout() {
    worldAbout = {};
    const WorldFile file = ReadWorldFile(DataPath(kWorldAboutFile), kWorldAboutBytes);
    if (file.problem == platform::FileProblem::kMissing) return;
    if (!file.Readable()) {
        Remark(file, 0, Severity::kWarning, Rule::kWorldFile,
               "the world file cannot be read (" + ProblemSaid(file) + "): the game shows no name for the world");
        return;
    }
    worldAbout.present = true;
    const std::string& bytes = file.bytes;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        ReadField(file, at, std::string_view(bytes).substr(at, end - at));
        at = end + 1;
    }
    if (worldAbout.name.empty())
        Remark(file, 0, Severity::kWarning, Rule::kWorldFile,
               "the world file names no world: write a line \"name: ...\" (the Help page and the list of worlds "
               "show it)");
    else if (worldAbout.name.size() > kWorldNameCells)
        Remark(file, bytes.find(worldAbout.name), Severity::kWarning, Rule::kWorldFile,
               "the name has " + std::to_string(worldAbout.name.size()) + " cells, more than the " +
                   std::to_string(kWorldNameCells) + " the Help page shows: it is cut");
}

std::string WorldName() {
    if (language > 0 && language < kLanguageCount)
        for (const WorldAbout::Translated& t : worldAbout.translated)
            if (t.key == "name" && t.language == kLanguageCodes[language] && !t.text.empty()) return t.text;
    return worldAbout.name.substr(0, WholeCharacters(worldAbout.name, kWorldNameCells));
}

}  // namespace rf
