#include "core/setting_table.h"

#include "core/texts.h"

namespace rf {
namespace {

constexpr SettingValue kPaces[] = {
    {"wait", TextId::kMenuPaceWait}, {"auto", TextId::kMenuPaceAuto}, {"instant", TextId::kMenuPaceInstant}};
constexpr SettingValue kLooks[] = {{"marked", TextId::kMenuLookMarked}, {"console", TextId::kMenuLookConsole}};
constexpr SettingValue kOnOff[] = {{kOnName, TextId::kMenuOn}, {"off", TextId::kMenuOff}};

// A switch's values are on, then off.
int OnOff(bool on) { return on ? 0 : 1; }

constexpr SettingRow kSettings[] = {
    {.key = SettingKey::kMessages,
     .name = "messages",
     .values = kPaces,
     .label = TextId::kMenuPaceLabel,
     .nextStart = false,
     .recorded = Recorded::kPlayed,
     .replayMayDiffer = false,
     .get = [](const Settings& s, std::int16_t) { return static_cast<int>(s.pace); },
     .set = [](Settings& s, std::int16_t&, int v) { s.pace = static_cast<MessagePace>(v); }},
    {.key = SettingKey::kExtraKeys,
     .name = "extra-keys",
     .values = kOnOff,
     .label = TextId::kMenuKeysLabel,
     .nextStart = false,
     .recorded = Recorded::kPlayed,
     .replayMayDiffer = false,
     .get = [](const Settings& s, std::int16_t) { return OnOff(s.extraKeys); },
     .set = [](Settings& s, std::int16_t&, int v) { s.extraKeys = v == 0; }},
    {.key = SettingKey::kLook,
     .name = "look",
     .values = kLooks,
     .label = TextId::kMenuLookLabel,
     .nextStart = true,
     .recorded = Recorded::kPlayed,
     .replayMayDiffer = true,
     .get = [](const Settings& s, std::int16_t) { return s.consoleLook ? 1 : 0; },
     .set = [](Settings& s, std::int16_t&, int v) { s.consoleLook = v == 1; }},
    {.key = SettingKey::kLanguage,
     .name = "language",
     .values = {},
     .label = TextId::kMenuLanguageLabel,
     .nextStart = false,
     .recorded = Recorded::kPlayedKnown,
     .replayMayDiffer = true,
     .get = [](const Settings&, std::int16_t lang) { return static_cast<int>(lang); },
     .set = [](Settings&, std::int16_t& lang, int v) { lang = static_cast<std::int16_t>(v); }},
    {.key = SettingKey::kClassic,
     .name = "classic",
     .values = kOnOff,
     .label = TextId::kMenuClassicLabel,
     .nextStart = true,
     .recorded = Recorded::kOwnLine,
     .replayMayDiffer = true,
     .get = [](const Settings& s, std::int16_t) { return OnOff(s.classic); },
     .set = [](Settings& s, std::int16_t&, int v) { s.classic = v == 0; },
     .getKept = [](const Settings& s, std::int16_t) { return OnOff(s.classicNextStart); },
     .setKept = [](Settings& s, std::int16_t&, int v) { s.classicNextStart = v == 0; }},
    {.key = SettingKey::kSpeech,
     .name = "speech",
     .values = kOnOff,
     .label = TextId::kMenuSpeechLabel,
     .nextStart = false,
     .recorded = Recorded::kNot,
     .replayMayDiffer = true,
     .get = [](const Settings& s, std::int16_t) { return OnOff(s.speech); },
     .set = [](Settings& s, std::int16_t&, int v) { s.speech = v == 0; }},
};
static_assert(std::size(kSettings) == kSettingKeys, "a row for every setting");
constexpr bool InKeysOrder() {
    for (int k = 0; k < kSettingKeys; ++k)
        if (kSettings[k].key != static_cast<SettingKey>(k)) return false;
    return true;
}
static_assert(InKeysOrder(), "each row where its key says");
constexpr bool RecordingSaid() {
    for (const SettingRow& row : kSettings)
        if (row.recorded == Recorded::kUnsaid) return false;
    return true;
}
static_assert(RecordingSaid(), "each row says whether it shapes the game, and how a recording keeps it");

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
