// The player's settings as a small file in the config folder: the message
// pace, the extra keys, the look, the language, the original's alone and speech, one "name value" a line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/game_state.h"

namespace rf {

// "wait", "auto", "instant", and back.
std::string_view PaceName(MessagePace pace);
std::optional<MessagePace> PaceFromName(std::string_view name);

// The rows of the file, one per setting.
enum class SettingKey { kMessages, kExtraKeys, kLook, kLanguage, kClassic, kSpeech };

// The file's text, and the settings read from one: lines it does not know
// and values it cannot use leave the settings (and `lang`, an index into
// kLanguageCodes) as they were.
std::string ComposeSettings(const Settings& s, std::int16_t lang);
// The file's text `text` with one setting's row as `s` and `lang` have it,
// every other row as it was.
std::string WithSetting(std::string_view text, SettingKey key, const Settings& s, std::int16_t lang);
void ParseSettings(std::string_view text, Settings& s, std::int16_t& lang);

// Where the file is; empty when the system names no config folder.
std::string SettingsFilePath();
// Reads the file into `settings` and `language`, when there is one.
void LoadSettingsFile();
// Writes one setting to the file when this run keeps them (not in a
// replay), the file's other rows as they are now (another window's
// changes stay); a file that is a symbolic link stays one. False, with the
// reason, when it could not.
bool KeepSetting(SettingKey key, std::string& problem);

}  // namespace rf
