// The player's settings that take one of a few named values, one row each:
// the values' names (as the command line, the settings file and a
// recording spell them), the menu's words for them, and whether the
// setting shapes the game (then a recording keeps it, and its replay plays
// with it). The command line's options, the settings file, the menu's
// settings page, the usage lines and the recording's header all read it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/catalogue.h"
#include "core/game_state.h"

namespace rf {

// The rows, in the order the settings file writes them.
enum class SettingKey { kMessages, kExtraKeys, kLook, kLanguage, kClassic, kSpeech };
inline constexpr int kSettingKeys = 6;

// A switch's value that is given by its name alone (--classic, a
// recording's "classic" line).
inline constexpr std::string_view kOnName = "on";

struct SettingValue {
    std::string_view name;  // on the command line, in the settings file and a recording
    TextId said;            // in the menu
};

// What a recording keeps of a setting: every row says (a row that leaves
// it out does not compile), so none shapes a game its replay misses.
enum class Recorded : std::uint8_t {
    kUnsaid,
    kNot,          // nothing: it shapes no screen and no step
    kPlayed,       // "name value" on the header's "played" line, always
    kPlayedKnown,  // the same, when this game knows the value (older games read past it)
    // A line of its own where it differs from a plain game's, which a game
    // that does not know it refuses: the way for a new setting.
    kOwnLine,
};

struct SettingRow {
    SettingKey key;
    std::string_view name;  // the settings file's, and the recording's
    // Empty: the languages of the catalogue (kLanguageCodes, each said in its own words).
    std::span<const SettingValue> values;
    TextId label;    // the menu's row
    bool nextStart;  // the menu says it takes effect at the next start
    Recorded recorded;
    // A replay may be asked to show it otherwise (the command line wins);
    // one that plays as recorded whatever is asked (the keys, the pace)
    // would go out of step with its events otherwise.
    bool replayMayDiffer;
    // The value in force, as an index into `values`, and setting it.
    int (*get)(const Settings& s, std::int16_t lang);
    void (*set)(Settings& s, std::int16_t& lang, int value);
    // The value the settings file and the menu keep, where it is not the
    // one in force (the original's alone changes at the next start).
    int (*getKept)(const Settings& s, std::int16_t lang) = nullptr;
    void (*setKept)(Settings& s, std::int16_t& lang, int value) = nullptr;
};

const SettingRow& SettingOf(SettingKey key);
std::span<const SettingRow> AllSettings();

int ValueCount(const SettingRow& row);
std::string_view ValueName(const SettingRow& row, int value);
// The index of a value's name, or -1.
int ValueIndex(const SettingRow& row, std::string_view name);
// "wait|auto|instant", or "wait, auto or instant" with `last` " or ".
std::string ValueNames(const SettingRow& row, std::string_view between, std::string_view last);

// The value the settings file and the menu keep, and keeping one.
int KeptValue(const SettingRow& row, const Settings& s, std::int16_t lang);
void KeepValue(const SettingRow& row, Settings& s, std::int16_t& lang, int value);

}  // namespace rf
