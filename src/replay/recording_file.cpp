#include "replay/recording_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/map_geometry.h"
#include "core/setting_table.h"
#include "core/texts.h"

namespace rf {
namespace {

constexpr std::string_view kMagic = "ranks-and-files recording ";

// The next line without its break; false at the end of the text.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) return false;
    line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = nl + 1;
    return true;
}

// The first words of `value`, split at blanks as a stream reads them (the
// web build has no streams: they would take a fifth of its code).
template <std::size_t N>
std::array<std::string_view, N> FirstWords(std::string_view value) {
    std::array<std::string_view, N> words{};
    std::size_t pos = 0;
    for (std::string_view& word : words) {
        pos = value.find_first_not_of(" \t", pos);
        if (pos == std::string_view::npos) break;
        const std::size_t end = std::min(value.find_first_of(" \t", pos), value.size());
        word = value.substr(pos, end - pos);
        pos = end;
    }
    return words;
}

bool Field(std::string_view line, std::string_view key, std::string& value) {
    if (line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ') return false;
    value = std::string(line.substr(key.size() + 1));
    return true;
}

// A "played" line's words: "name value" for each setting a recording keeps
// there. A name this version does not know is read past (a later version
// keeps such settings in lines of their own).
bool PlayedSettings(std::string_view words, RecordingHeader& header) {
    bool found[kSettingKeys] = {};
    for (std::size_t pos = 0;;) {
        const auto [name, value] = FirstWords<2>(words.substr(pos));
        if (value.empty()) break;
        pos = static_cast<std::size_t>(value.data() + value.size() - words.data());
        for (const SettingRow& row : AllSettings()) {
            const int v = ValueIndex(row, value);
            if (row.name != name || (row.recorded != Recorded::kPlayed && row.recorded != Recorded::kPlayedKnown))
                continue;
            if (v < 0 && row.recorded == Recorded::kPlayed) return false;
            if (v >= 0) row.set(header.played, header.language, v);
            found[static_cast<int>(row.key)] = true;
        }
    }
    for (const SettingRow& row : AllSettings())
        if (row.recorded == Recorded::kPlayed && !found[static_cast<int>(row.key)]) return false;
    return true;
}

// A line of a setting kept in one of its own: "name value", or the name
// alone for kOnName.
bool OwnLine(std::string_view line, RecordingHeader& header) {
    const std::size_t space = line.find(' ');
    const std::string_view name = line.substr(0, space);
    const std::string_view value = space == std::string_view::npos ? kOnName : line.substr(space + 1);
    for (const SettingRow& row : AllSettings()) {
        const int v = ValueIndex(row, value);
        if (row.recorded != Recorded::kOwnLine || row.name != name || v < 0) continue;
        row.set(header.played, header.language, v);
        return true;
    }
    return false;
}

bool WorldField(std::string_view line, std::string& world) {
    const std::size_t space = line.find(' ');
    return space != std::string_view::npos && WorldFromField(line.substr(0, space), line.substr(space + 1), world);
}

}  // namespace

bool LooksLikeRecording(std::string_view head) { return head.substr(0, kMagic.size()) == kMagic; }

std::string ComposeRecordingHeader(const RecordingHeader& header) {
    std::string out = std::string(kMagic) + std::to_string(kRecordingVersion) + "\n";
    out += WorldLine(header.world);
    out += "world-digest " + header.worldDigest + "\n";
    if (header.resumed) out += "begins saved\n" + ComposeSave(header.save);
    else out += "begins new\n";
    out += "played";
    for (const SettingRow& row : AllSettings()) {
        const std::string_view value = ValueName(row, row.get(header.played, header.language));
        if ((row.recorded == Recorded::kPlayed || row.recorded == Recorded::kPlayedKnown) && !value.empty())
            out += " " + std::string(row.name) + " " + std::string(value);
    }
    out += "\n";
    if (header.startMap > 0)
        out += "start " + std::to_string(header.startMap) + " " + std::to_string(header.startX) + " " +
               std::to_string(header.startY) + "\n";
    if (header.level > 0) out += "level " + std::to_string(header.level) + "\n";
    for (const SettingRow& row : AllSettings()) {
        const int value = row.get(header.played, header.language);
        if (row.recorded != Recorded::kOwnLine || value == row.get(Settings{}, 0)) continue;
        const std::string_view name = ValueName(row, value);
        out += std::string(row.name) + (name == kOnName ? "" : " " + std::string(name)) + "\n";
    }
    if (header.edition > 1) out += "edition " + std::to_string(header.edition) + "\n";
    out += "events\n";
    return out;
}

bool ParseRecording(std::string_view text, RecordingHeader& header, std::size_t& eventsAt, std::string& error) {
    header = RecordingHeader{};
    std::size_t pos = 0;
    std::string_view line;
    if (text.substr(0, kMagic.size()) != kMagic || !NextLine(text, pos, line)) {
        error = "not a recording";
        return false;
    }
    if (line.substr(kMagic.size()) != std::to_string(kRecordingVersion)) {
        error = "recorded by another version of the game (format " + std::string(line.substr(kMagic.size())) + ")";
        return false;
    }
    std::string begins;
    if (!NextLine(text, pos, line) || !WorldField(line, header.world) || !NextLine(text, pos, line) ||
        !Field(line, "world-digest", header.worldDigest) || !NextLine(text, pos, line) ||
        !Field(line, "begins", begins) || (begins != "new" && begins != "saved")) {
        error = "damaged header";
        return false;
    }
    header.resumed = begins == "saved";
    if (header.resumed) {
        std::size_t start = pos;
        while (NextLine(text, pos, line) && line != "end") {
        }
        if (line != "end" || !ParseSave(text.substr(start, pos - start), header.save, error)) {
            error = "damaged starting state" + (error.empty() ? std::string() : ": " + error);
            return false;
        }
    }
    // Then what else shaped the game, up to the events; a field this
    // version does not know would replay another game, so it is refused.
    for (std::string value; NextLine(text, pos, line) && line != "events";) {
        int a = 0, b = 0, c = 0;
        char end = 0;
        if (Field(line, "played", value)) {
            if (!PlayedSettings(value, header)) {
                error = "damaged header";
                return false;
            }
            header.settingsGiven = true;
        } else if (Field(line, "start", value) && std::sscanf(value.c_str(), "%d %d %d%c", &a, &b, &c, &end) == 3 &&
                   a >= 1 && a <= kMaps && b >= -1 && b <= kLastHeroColumn && c >= -1 && c <= kLastHeroRow) {
            header.startMap = a, header.startX = b, header.startY = c;
        } else if (Field(line, "edition", value) && std::sscanf(value.c_str(), "%d%c", &a, &end) == 1 && a >= 2 &&
                   a <= kEdition) {
            header.edition = a;
        } else if (OwnLine(line, header)) {
        } else if (Field(line, "level", value) && std::sscanf(value.c_str(), "%d%c", &a, &end) == 1 && a >= 1 &&
                   a <= 32767) {
            header.level = a;
        } else {
            error = "made by another version of the game, or damaged (header line '" + std::string(line.substr(0, 40)) +
                    "')";
            return false;
        }
    }
    if (line != "events") {
        error = "damaged header";
        return false;
    }
    eventsAt = pos;
    return true;
}

}  // namespace rf
