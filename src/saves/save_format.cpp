#include "saves/save_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "core/fixed_text.h"
#include "core/texts.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf {
namespace {

constexpr std::string_view kMagic = "ranks-and-files save ";

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

bool FromHex(std::string_view hex, std::string& out) {
    if (hex.size() % 2 != 0) return false;
    auto nibble = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi << 4 | lo);
    }
    return true;
}

// Whole decimal numbers separated by single blanks, each within [lo, hi].
bool Numbers(std::string_view text, std::vector<std::int64_t>& out, std::size_t count, std::int64_t lo,
             std::int64_t hi) {
    out.clear();
    std::size_t i = 0;
    while (out.size() < count) {
        if (out.size() > 0) {
            if (i >= text.size() || text[i] != ' ') return false;
            ++i;
        }
        bool negative = i < text.size() && text[i] == '-';
        if (negative) ++i;
        std::size_t start = i;
        std::int64_t v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 12) v = v * 10 + (text[i++] - '0');
        if (i == start || (i < text.size() && text[i] != ' ')) return false;
        v = negative ? -v : v;
        if (v < lo || v > hi) return false;
        out.push_back(v);
    }
    return i == text.size();
}

bool HasControlBytes(std::string_view text) {
    for (unsigned char b : text)
        if (b < 0x20 || b == 0x7F) return true;
    return false;
}

constexpr std::int64_t kI16Min = -32768, kI16Max = 32767, kU32Max = 4294967295LL;

}  // namespace

std::string WorldLine(const std::string& world) {
    return HasControlBytes(world) ? "world-bytes " + Hex(world) + "\n" : "world " + world + "\n";
}

bool WorldFromField(std::string_view key, std::string_view value, std::string& world) {
    world.clear();
    if (key == "world") world = value;
    else if (key != "world-bytes" || !FromHex(value, world)) return false;
    return !world.empty();
}

std::string UtcText(std::int64_t seconds) {
    // Days to a civil date (proleptic Gregorian), so no time-zone database is needed.
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    std::int64_t rest = seconds - days * 86400;
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t doe = days - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    // Written by hand: a listing of thousands of saves writes two stamps each.
    const std::string digits = std::to_string(year < 0 ? -year : year);
    const std::size_t width = year < 0 ? 3 : 4;  // as "%04lld" pads
    std::string out = year < 0 ? "-" : "";
    out.append(digits.size() < width ? width - digits.size() : 0, '0');
    out += digits;
    char tail[] = "-MM-DD hh:mm:ss UTC";
    const std::int64_t fields[] = {month, day, rest / 3600, rest / 60 % 60, rest % 60};
    for (std::size_t i = 0; i < 5; ++i) {
        tail[1 + 3 * i] = static_cast<char>('0' + fields[i] / 10);
        tail[2 + 3 * i] = static_cast<char>('0' + fields[i] % 10);
    }
    return out + tail;
}

bool ParseUtcText(std::string_view text, std::int64_t& seconds) {
    // The year as long as it came: a clock past 9999 wrote five digits.
    std::size_t digits = 0;
    std::int64_t y = 0;
    while (digits < text.size() && digits < 12 && text[digits] >= '0' && text[digits] <= '9')
        y = y * 10 + (text[digits++] - '0');
    // "-MM-DD hh:mm:ss UTC", two digits each; the text written back below
    // must be the same, so a day past its month's end is refused.
    const std::string_view rest = text.substr(digits);
    constexpr std::string_view kShape = "-00-00 00:00:00 UTC";
    if (digits < 4 || rest.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] == '0' ? rest[i] < '0' || rest[i] > '9' : rest[i] != kShape[i]) return false;
    auto two = [&](std::size_t at) { return (rest[at] - '0') * 10 + (rest[at + 1] - '0'); };
    const int mo = two(1), d = two(4), h = two(7), mi = two(10), s = two(13);
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
    const std::int64_t yy = mo <= 2 ? y - 1 : y;
    const std::int64_t era = (yy >= 0 ? yy : yy - 399) / 400;
    const std::int64_t yoe = yy - era * 400;
    const std::int64_t doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    seconds = (era * 146097 + doe - 719468) * 86400 + std::int64_t{h} * 3600 + mi * 60 + s;
    return UtcText(seconds) == text;
}

std::int64_t StampWithinFormat(std::int64_t seconds) {
    constexpr std::int64_t kLast = 253402300799;  // 9999-12-31 23:59:59
    return std::clamp<std::int64_t>(seconds, 0, kLast);
}

bool LooksLikeLanguageCode(std::string_view code) {
    return !code.empty() && code.size() <= 16 && std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

bool LooksLikeSave(std::string_view head) { return head.substr(0, kMagic.size()) == kMagic; }

namespace {

// A timed effect's line in a save.
std::string EffectLineName(int effect) { return std::string(kItems[ItemOfEffect(effect)].saveName) + "-effects"; }

}  // namespace

std::string ComposeSave(const SaveData& save) {
    const HeroStatus& h = save.hero;
    const ItemEffectState& e = save.effects;
    std::string out;
    auto line = [&](std::string_view key, const std::string& value) {
        out += key;
        out += ' ';
        out += value;
        out += '\n';
    };
    auto nums = [](std::initializer_list<std::int64_t> values) {
        std::string s;
        for (std::int64_t v : values) s += (s.empty() ? "" : " ") + std::to_string(v);
        return s;
    };
    out += std::string(kMagic) + std::to_string(kSaveVersion) + "\n";
    out += WorldLine(save.world);
    line("world-digest", save.worldDigest);
    // Within the years every reader takes, whatever the clock said.
    line("started", UtcText(StampWithinFormat(save.startedAt)));
    line("saved", UtcText(StampWithinFormat(save.savedAt)));
    const std::string name(FixedText(h.name));
    std::string utf8;
    if (Cp932ToUtf8Exactly(name, utf8) && utf8.find_first_of(" \t\r\n") == std::string::npos) line("name", utf8);
    else line("name-bytes", Hex(name));
    line("level", nums({h.level}));
    line("exp", nums({h.exp}));
    line("next-exp", nums({h.nextExp}));
    line("hp", nums({h.hp, h.maxHp}));
    line("attack", nums({h.attack}));
    line("defence", nums({h.defence}));
    line("magic-attack", nums({h.magicAttack}));
    line("magic-defence", nums({h.magicDefence}));
    line("speed", nums({h.speed}));
    line("battle-saved", nums({h.savedAttack, h.savedDefence}));
    line("reserved", nums({h.reserved[0], h.reserved[1], h.reserved[2], h.reserved[3]}));
    for (int k = 0; k < kItemKinds; ++k) line(kItems[k].saveName, nums({h.items[k].number, h.items[k].count}));
    line("map", nums({h.mapNumber}));
    line("cell", nums({h.fieldX, h.fieldY}));
    for (int k = 0; k < kTimedEffects; ++k) {
        std::string slots;
        for (const EffectSlot& slot : e.slots[k])
            slots += (slots.empty() ? "" : " ") + nums({slot.turnsLeft, slot.row});
        line(EffectLineName(k), slots);
    }
    std::string rows;
    for (std::int16_t r : e.rowInUse) rows += nums({r}) + " ";
    line("effect-rows", rows + nums({e.activeEffects}));
    std::string marks = std::string(save.queenMarkShown ? "queen" : "") +
                        (save.queenMarkShown && save.kingMarkShown ? " " : "") + (save.kingMarkShown ? "king" : "");
    line("marks-shown", marks.empty() ? "none" : marks);
    line("mark-on-screen", save.markOnScreen ? "yes" : "no");
    const Journey& j = save.journey;
    line("journey", nums({j.secondsBefore, j.battlesWon, j.battlesLost, j.battlesFled, j.mapsVisited,
                          (j.queenSeen ? 1 : 0) + (j.kingSeen ? 2 : 0)}));
    if (j.kingReachedAt >= 0) line("king-reached", nums({j.kingReachedAt}));
    if (!save.language.empty()) line("language", save.language);
    if (!save.worldName.empty()) line("world-name", save.worldName);
    out += "end\n";
    return out;
}

namespace {

// The save's lines by name, each pointing into the save's text; thousands
// of saves are read for one listing, so a name is found by its hash.
struct SaveFields {
    using Line = std::pair<std::string_view, std::string_view>;
    static constexpr std::size_t kMostLines = 128;  // a save has about thirty
    std::vector<Line> lines;
    std::array<std::uint8_t, 2 * kMostLines> slots{};  // 1 + the line's index; 0 free

    static std::size_t Hash(std::string_view key) {
        std::size_t h = key.size();
        for (char c : key) h = h * 31 + static_cast<unsigned char>(c);
        return h;
    }
    [[nodiscard]] std::vector<Line>::const_iterator end() const { return lines.end(); }
    [[nodiscard]] std::vector<Line>::const_iterator find(std::string_view key) const {
        for (std::size_t s = Hash(key);; ++s) {
            const std::uint8_t at = slots[s % slots.size()];
            if (at == 0) return lines.end();
            if (lines[at - 1].first == key) return lines.begin() + (at - 1);
        }
    }
    // False when the name is there already, or the lines are too many.
    bool Add(std::string_view key, std::string_view value) {
        if (lines.size() == kMostLines) return false;
        std::size_t s = Hash(key);
        for (; slots[s % slots.size()] != 0; ++s)
            if (lines[slots[s % slots.size()] - 1].first == key) return false;
        lines.emplace_back(key, value);
        slots[s % slots.size()] = static_cast<std::uint8_t>(lines.size());
        return true;
    }
};

// The save's lines as fields by name; false, with why, when they are not a
// whole save of this version.
bool ReadFields(std::string_view text, SaveFields& fields, std::string& error) {
    if (text.substr(0, kMagic.size()) != kMagic) {
        error = "not a saved game";
        return false;
    }
    fields.lines.reserve(40);
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) break;  // a last line cut short
        std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            first = false;
            if (line.substr(kMagic.size()) != std::to_string(kSaveVersion)) {
                error = "saved by another version of the game (format " + std::string(line.substr(kMagic.size())) + ")";
                return false;
            }
            continue;
        }
        if (line == "end") return true;
        std::size_t space = line.find(' ');
        if (space == std::string_view::npos || !fields.Add(line.substr(0, space), line.substr(space + 1))) {
            error = "damaged (line '" + std::string(line.substr(0, 40)) + "')";
            return false;
        }
    }
    error = "damaged or cut short (no end line)";
    return false;
}

// The hero's numbers and the running effects; the first field that does
// not hold what it must, or "".
std::string ReadHeroAndEffects(const SaveFields& fields, SaveData& save) {
    std::vector<std::int64_t> v;
    std::string bad;
    auto get = [&](std::string_view key, std::size_t count, std::int64_t lo, std::int64_t hi) {
        auto it = fields.find(key);
        if (!bad.empty()) return false;
        if (it == fields.end() || !Numbers(it->second, v, count, lo, hi)) {
            bad = std::string(key);
            return false;
        }
        return true;
    };
    HeroStatus& h = save.hero;
    auto i16 = [&](std::size_t k) { return static_cast<std::int16_t>(v[k]); };
    if (get("level", 1, kI16Min, kI16Max)) h.level = i16(0);
    if (get("exp", 1, 0, kU32Max)) h.exp = static_cast<std::uint32_t>(v[0]);
    if (get("next-exp", 1, 0, kU32Max)) h.nextExp = static_cast<std::uint32_t>(v[0]);
    if (get("hp", 2, kI16Min, kI16Max)) h.hp = i16(0), h.maxHp = i16(1);
    if (get("attack", 1, kI16Min, kI16Max)) h.attack = i16(0);
    if (get("defence", 1, kI16Min, kI16Max)) h.defence = i16(0);
    if (get("magic-attack", 1, kI16Min, kI16Max)) h.magicAttack = i16(0);
    if (get("magic-defence", 1, kI16Min, kI16Max)) h.magicDefence = i16(0);
    if (get("speed", 1, kI16Min, kI16Max)) h.speed = i16(0);
    if (get("battle-saved", 2, kI16Min, kI16Max)) h.savedAttack = i16(0), h.savedDefence = i16(1);
    if (get("reserved", 4, kI16Min, kI16Max))
        for (int k = 0; k < 4; ++k) h.reserved[k] = i16(static_cast<std::size_t>(k));
    for (int k = 0; k < kItemKinds; ++k)
        if (get(kItems[k].saveName, 2, kI16Min, kI16Max)) h.items[k].number = i16(0), h.items[k].count = i16(1);
    if (get("map", 1, 1, kMaps)) h.mapNumber = i16(0);
    if (get("cell", 2, 0, kLastHeroColumn) && v[1] <= kLastHeroRow) h.fieldX = i16(0), h.fieldY = i16(1);
    else if (bad.empty()) bad = "cell";
    ItemEffectState& e = save.effects;
    constexpr std::size_t kSlots = kRunningEffects;
    for (int k = 0; k < kTimedEffects; ++k)
        if (get(EffectLineName(k), 2 * kSlots, -1, kI16Max))
            for (std::size_t s = 0; s < kSlots; ++s) e.slots[k][s] = {i16(2 * s), i16(2 * s + 1)};
    if (get("effect-rows", kSlots + 1, kI16Min, kI16Max)) {
        for (std::size_t s = 0; s < kSlots; ++s) e.rowInUse[s] = i16(s);
        e.activeEffects = i16(kSlots);
    }
    // The effects as the battle keeps them: each running one on a row of its own.
    int running = 0, rows = 0;
    for (const auto& slots : e.slots)
        for (const EffectSlot& slot : slots)
            if (slot.turnsLeft != -1) {
                ++running;
                if (slot.row < 0 || slot.row >= kRunningEffects || e.rowInUse[slot.row] != 1) bad = "effect-rows";
            }
    for (std::int16_t r : e.rowInUse) {
        if (r != 0 && r != 1) bad = "effect-rows";
        rows += r;
    }
    if (running != e.activeEffects || rows != running || running > kRunningEffects)
        bad = bad.empty() ? "effect-rows" : bad;
    return bad;
}

// The hero's name, the marks and the world; as ReadHeroAndEffects.
std::string ReadNameMarksAndWorld(const SaveFields& fields, SaveData& save) {
    std::string bad;
    std::string name;
    HeroStatus& h = save.hero;
    if (auto it = fields.find("name"); it != fields.end()) {
        if (!Utf8ToCp932Exactly(it->second, name)) bad = "name";
    } else if (auto hex = fields.find("name-bytes"); hex != fields.end()) {
        if (!FromHex(hex->second, name)) bad = "name-bytes";
    } else {
        bad = "name";
    }
    if (bad.empty() && name.size() >= sizeof h.name) bad = "name";
    if (bad.empty()) std::memcpy(h.name, name.data(), name.size());
    auto marks = fields.find("marks-shown");
    if (bad.empty() && marks != fields.end()) {
        const std::string_view m = marks->second;
        save.queenMarkShown = m == "queen" || m == "queen king";
        save.kingMarkShown = m == "king" || m == "queen king";
        if (!save.queenMarkShown && !save.kingMarkShown && m != "none") bad = "marks-shown";
    } else if (bad.empty()) {
        bad = "marks-shown";
    }
    if (auto onScreen = fields.find("mark-on-screen"); bad.empty() && onScreen != fields.end()) {
        save.markOnScreen = onScreen->second == "yes";
        if (!save.markOnScreen && onScreen->second != "no") bad = "mark-on-screen";
    }
    auto world = fields.find("world");
    if (world == fields.end()) world = fields.find("world-bytes");
    auto digest = fields.find("world-digest");
    auto started = fields.find("started");
    auto saved = fields.find("saved");
    if (bad.empty() && (world == fields.end() || !WorldFromField(world->first, world->second, save.world)))
        bad = "world";
    if (bad.empty() && (digest == fields.end() || digest->second.size() != 16 ||
                        digest->second.find_first_not_of("0123456789abcdef") != std::string::npos))
        bad = "world-digest";
    if (bad.empty() && (started == fields.end() || !ParseUtcText(started->second, save.startedAt))) bad = "started";
    if (bad.empty() && (saved == fields.end() || !ParseUtcText(saved->second, save.savedAt))) bad = "saved";
    if (bad.empty()) save.worldDigest = std::string(digest->second);
    return bad;
}

// Played seconds, battles won, lost and fled, the maps visited (a bit
// each) and the pieces seen (1 the Queen, 2 the King). A save from before
// the journey was kept: its time from start to save, the map it is on, and
// the marks it had shown. As ReadHeroAndEffects.
std::string ReadJourney(const SaveFields& fields, SaveData& save) {
    Journey& j = save.journey;
    auto it = fields.find("journey");
    if (it == fields.end()) {
        j.secondsBefore = static_cast<std::uint32_t>(std::max<std::int64_t>(0, save.savedAt - save.startedAt));
        j.mapsVisited = static_cast<std::uint16_t>(1u << (save.hero.mapNumber - 1));
        j.queenSeen = save.queenMarkShown;
        j.kingSeen = save.kingMarkShown;
        return "";
    }
    std::vector<std::int64_t> v;
    if (!Numbers(it->second, v, 6, 0, kU32Max) || v[4] > 511 || v[5] > 3) return "journey";
    j.secondsBefore = static_cast<std::uint32_t>(v[0]);
    j.battlesWon = static_cast<std::uint32_t>(v[1]);
    j.battlesLost = static_cast<std::uint32_t>(v[2]);
    j.battlesFled = static_cast<std::uint32_t>(v[3]);
    j.mapsVisited = static_cast<std::uint16_t>(v[4]);
    j.queenSeen = (v[5] & 1) != 0;
    j.kingSeen = (v[5] & 2) != 0;
    // Written once the hero has reached the King; older saves have not.
    if (auto reached = fields.find("king-reached"); reached != fields.end()) {
        if (!Numbers(reached->second, v, 1, 0, kU32Max)) return "king-reached";
        j.kingReachedAt = v[0];
    }
    return "";
}

}  // namespace

bool ParseSave(std::string_view text, SaveData& save, std::string& error) {
    save = SaveData{};
    SaveFields fields;
    if (!ReadFields(text, fields, error)) return false;
    std::string bad = ReadHeroAndEffects(fields, save);
    if (bad.empty()) bad = ReadNameMarksAndWorld(fields, save);
    if (bad.empty()) bad = ReadJourney(fields, save);
    if (!bad.empty()) {
        error = "damaged (field '" + bad + "')";
        return false;
    }
    // Only a choice of words: one this version does not know is kept as it
    // came (the game says so), when it reads as a language's code.
    if (auto it = fields.find("language"); it != fields.end() && LooksLikeLanguageCode(it->second))
        save.language = std::string(it->second);
    // Only for the list: a name that is not one line of printable UTF-8 is left out.
    if (auto it = fields.find("world-name"); it != fields.end() && IsUtf8Text(it->second, false) &&
                                             std::none_of(it->second.begin(), it->second.end(), [](char c) {
                                                 return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                                             }))
        save.worldName = std::string(it->second);
    return true;
}

}  // namespace rf
