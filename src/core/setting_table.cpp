#include "core/setting_table.h"

#include "core/texts.h"

namespace rf {
namespace {

constexpr SettingValue kPaces[] = {
    {"wait", TextId::kMenuPaceWait}, {"auto", TextId::kMenuPaceAuto}, {"instant", TextId::kMenuPaceInstant}};
constexpr SettingValue kLooks[] = {{"marked", TextId::kMenuLookMarked}, {"console", TextId::kMenuLookConsole}};
constexpr SettingValue kOnOff[] = {{kOnName, TextId::kMenuOn}, {"off", TextId::kMenuOff}};

int OnOff(bool on) { return on ? 0 : 1; }

constexpr SettingRow kSettings[] = {
    {SettingKey::kMessages, "messages", kPaces, TextId::kMenuPaceLabel, false, Recorded::kPlayed, false,
     [](const Settings& s, std::int16_t) { return static_cast<int>(s.pace); },
     [](Settings& s, std::int16_t&, int v) { s.pace = static_cast<MessagePace>(v); }},
    {SettingKey::kExtraKeys, "extra-keys", kOnOff, TextId::kMenuKeysLabel, false, Recorded::kPlayed, false,
     [](const Settings& s, std::int16_t) { return OnOff(s.extraKeys); },
     [](Settings& s, std::int16_t&, int v) { s.extraKeys = v == 0; }},
    {SettingKey::kLook, "look", kLooks, TextId::kMenuLookLabel, true, Recorded::kPlayed, true,
     [](const Settings& s, std::int16_t) { return s.consoleLook ? 1 : 0; },
     [](Settings& s, std::int16_t&, int v) { s.consoleLook = v == 1; }},
    {SettingKey::kLanguage,
     "language",
     {},
     TextId::kMenuLanguageLabel,
     false,
     Recorded::kPlayedKnown,
     true,
     [](const Settings&, std::int16_t lang) { return static_cast<int>(lang); },
     [](Settings&, std::int16_t& lang, int v) { lang = static_cast<std::int16_t>(v); }},
    {SettingKey::kClassic, "classic", kOnOff, TextId::kMenuClassicLabel, true, Recorded::kOwnLine, true,
     [](const Settings& s, std::int16_t) { return OnOff(s.classic); },
     [](Settings& s, std::int16_t&, int v) { s.classic = v == 0; },
     [](const Settings& s, std::int16_t) { return OnOff(s.classicNextStart); },
     [](Settings& s, std::int16_t&, int v) { s.classicNextStart = v == 0; }},
    {SettingKey::kSpeech, "speech", kOnOff, TextId::kMenuSpeechLabel, false, Recorded::kNot, true,
     [](const Settings& s, std::int16_t) { return OnOff(s.speech); },
     [](Settings& s, std::int16_t&, int v) { s.speech = v == 0; }},
};
static_assert(std::size(kSettings) == kSettingKeys, "a row for every setting");
constexpr bool InKeysOrder() {
    for (int k = 0; k < kSettingKeys; ++k)
        if (kSettings[k].key != static_cast<SettingKey>(k)) return false;
    return true;
}
static_assert(InKeysOrder(), "each row where its key says");

}  // namespace

const SettingRow& SettingOf(SettingKey key) { return kSettings[static_cast<int>(key)]; }

std::span<const SettingRow> AllSettings() { return kSettings; }

int ValueCount(const SettingRow& row) {
    return row.values.empty() ? kLanguageCount : static_cast<int>(row.values.size());
}

std::string_view ValueName(const SettingRow& row, int value) {
    if (value < 0 || value >= ValueCount(row)) return {};
    return row.values.empty() ? kLanguageCodes[value] : row.values[static_cast<std::size_t>(value)].name;
}

int ValueIndex(const SettingRow& row, std::string_view name) {
    for (int v = 0; v < ValueCount(row); ++v)
        if (ValueName(row, v) == name) return v;
    return -1;
}

std::string ValueNames(const SettingRow& row, std::string_view between, std::string_view last) {
    std::string out;
    for (int v = 0; v < ValueCount(row); ++v)
        out += std::string(v == 0 ? "" : v + 1 == ValueCount(row) ? last : between) + std::string(ValueName(row, v));
    return out;
}

int KeptValue(const SettingRow& row, const Settings& s, std::int16_t lang) {
    return (row.getKept != nullptr ? row.getKept : row.get)(s, lang);
}

void KeepValue(const SettingRow& row, Settings& s, std::int16_t& lang, int value) {
    (row.setKept != nullptr ? row.setKept : row.set)(s, lang, value);
}

}  // namespace rf
