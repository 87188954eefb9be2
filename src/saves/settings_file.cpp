#include "saves/settings_file.h"

#include "core/texts.h"
#include "platform/files.h"
#include "platform/player_files.h"

namespace rf {
namespace {

constexpr std::size_t kLongestSettings = 4096;

std::string SettingLine(SettingKey key, const Settings& s, std::int16_t lang) {
    const SettingRow& row = SettingOf(key);
    return std::string(row.name) + " " + std::string(ValueName(row, KeptValue(row, s, lang))) + "\n";
}

}  // namespace

std::string ComposeSettings(const Settings& s, std::int16_t lang) {
    std::string out;
    for (const SettingRow& row : AllSettings()) out += SettingLine(row.key, s, lang);
    return out;
}

std::string WithSetting(std::string_view text, SettingKey key, const Settings& s, std::int16_t lang) {
    const std::string line = SettingLine(key, s, lang);
    const std::string_view name = std::string_view(line).substr(0, line.find(' ') + 1);  // "look "
    std::string out;
    bool placed = false;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t nl = text.find('\n', pos);
        nl = nl == std::string_view::npos ? text.size() : nl + 1;
        const std::string_view row = text.substr(pos, nl - pos);
        pos = nl;
        if (!row.starts_with(name)) out += row;
        else if (!placed) out += line;  // where it stood; a second row of the key goes
        placed = placed || row.starts_with(name);
        if (!out.empty() && out.back() != '\n') out += '\n';
    }
    return placed ? out : out + line;
}

void ParseSettings(std::string_view text, Settings& s, std::int16_t& lang) {
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, space), value = line.substr(space + 1);
        for (const SettingRow& row : AllSettings()) {
            const int v = ValueIndex(row, value);
            if (row.name != key || v < 0) continue;
            // In force at once, and kept.
            row.set(s, lang, v);
            KeepValue(row, s, lang, v);
        }
    }
}

std::string SettingsFilePath() {
    std::string problem;
    const std::string folder = platform::UserConfigDirectory(problem);
    return folder.empty() ? folder : folder + "/settings";
}

void LoadSettingsFile() {
    const std::string path = SettingsFilePath();
    if (path.empty()) return;
    const platform::DataFileBytes file = platform::ReadDataFile(path, kLongestSettings);
    if (file.problem == platform::FileProblem::kNone) ParseSettings(file.bytes, settings, language);
}

bool KeepSetting(SettingKey key, std::string& problem) {
    if (settings.kept != SettingsKept::kKept) return true;
    std::string folder = platform::UserConfigDirectory(problem);
    if (folder.empty() || !platform::PrepareUserDataDirectory(folder, problem)) return false;
    // A link stays a link: the file it names is written.
    const std::string path = platform::AbsolutePath(folder + "/settings");
    // Read, changed in the one row, written only if nobody wrote it meanwhile
    // (another window's settings stay as it left them).
    for (int attempt = 0; attempt < 5; ++attempt) {
        platform::FileIdentity kept;
        platform::IdentifyFile(path, kept);
        const platform::DataFileBytes file = platform::ReadDataFile(path, kLongestSettings);
        if (file.problem != platform::FileProblem::kNone && file.problem != platform::FileProblem::kMissing) {
            problem = path + " is " + std::string(platform::ProblemText(file.problem));
            return false;
        }
        bool changed = false;
        if (platform::WriteFileAtomically(path, WithSetting(file.bytes, key, settings, language), kept, changed,
                                          problem))
            return true;
        if (!changed) return false;
    }
    problem = path + " keeps being changed by another window";
    return false;
}

}  // namespace rf
