#include "saves/settings_file.h"

#include "core/texts.h"
#include "platform/files.h"
#include "platform/player_files.h"

namespace rf {
namespace {

constexpr std::string_view kPaceNames[] = {"wait", "auto", "instant"};
constexpr std::size_t kLongestSettings = 4096;

std::string_view OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

std::string_view PaceName(MessagePace pace) { return kPaceNames[static_cast<std::size_t>(pace)]; }

std::optional<MessagePace> PaceFromName(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kPaceNames); ++i)
        if (kPaceNames[i] == name) return static_cast<MessagePace>(i);
    return std::nullopt;
}

namespace {

std::string SettingLine(SettingKey key, const Settings& s, std::int16_t lang) {
    switch (key) {
        case SettingKey::kMessages: return "messages " + std::string(PaceName(s.pace)) + "\n";
        case SettingKey::kExtraKeys: return "extra-keys " + std::string(OnOff(s.extraKeys)) + "\n";
        case SettingKey::kLook: return "look " + std::string(s.consoleLook ? "console" : "marked") + "\n";
        case SettingKey::kLanguage: return "language " + std::string(kLanguageCodes[lang]) + "\n";
        case SettingKey::kClassic: return "classic " + std::string(OnOff(s.classicNextStart)) + "\n";
        case SettingKey::kSpeech: return "speech " + std::string(OnOff(s.speech)) + "\n";
    }
    return "";
}

}  // namespace

std::string ComposeSettings(const Settings& s, std::int16_t lang) {
    std::string out;
    for (SettingKey key : {SettingKey::kMessages, SettingKey::kExtraKeys, SettingKey::kLook, SettingKey::kLanguage,
                           SettingKey::kClassic, SettingKey::kSpeech})
        out += SettingLine(key, s, lang);
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
        if (key == "messages") {
            if (auto pace = PaceFromName(value)) s.pace = *pace;
        } else if (key == "extra-keys" && (value == "on" || value == "off")) {
            s.extraKeys = value == "on";
        } else if (key == "look" && (value == "console" || value == "marked")) {
            s.consoleLook = value == "console";
        } else if (key == "classic" && (value == "on" || value == "off")) {
            s.classic = s.classicNextStart = value == "on";
        } else if (key == "speech" && (value == "on" || value == "off")) {
            s.speech = value == "on";
        } else if (key == "language" && LanguageIndex(value) >= 0) {
            lang = static_cast<std::int16_t>(LanguageIndex(value));
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
