// The player's settings as a small file in the config folder: every row of
// core/setting_table.h, one "name value" a line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/game_state.h"
#include "core/setting_table.h"

namespace rf {

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
