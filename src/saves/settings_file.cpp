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

std::string ComposeSettings(const Settings& s, std::int16_t lang) {
    std::string out = "messages " + std::string(PaceName(s.pace)) + "\n";
    out += "extra-keys " + std::string(OnOff(s.extraKeys)) + "\n";
    out += "look " + std::string(s.consoleLook ? "console" : "marked") + "\n";
    out += "language " + std::string(kLanguageCodes[lang]) + "\n";
    return out;
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

bool KeepSettings(std::string& problem) {
    if (settings.kept != SettingsKept::kKept) return true;
    std::string folder = platform::UserConfigDirectory(problem);
    platform::FileIdentity kept;  // unknown: the settings are not watched for changes
    bool changed = false;
    return !folder.empty() && platform::PrepareUserDataDirectory(folder, problem) &&
           platform::WriteFileAtomically(folder + "/settings", ComposeSettings(settings, language), kept, changed,
                                         problem);
}

}  // namespace rf
