// The saved game as a file: small, versioned plain text, one field a line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/game_state.h"

namespace rf {

inline constexpr int kSaveVersion = 1;

struct SaveData {
    std::string world;        // "default" or the world folder's absolute path
    std::string worldDigest;  // 16 hexadecimal digits
    std::int64_t savedAt = 0;
    std::int64_t startedAt = 0;
    HeroStatus hero;
    ItemEffectState effects;
    bool queenMarkShown = false;
    bool kingMarkShown = false;
    // The current map's piece mark on the screen (saves from before this
    // was kept have it, as if the hero had just entered the map).
    bool markOnScreen = true;
    // The journey so far (saves from before it was kept have one made up
    // from what they hold: see ParseSave). `sessionStart` is not saved.
    Journey journey;
    // The language the game was drawn in, for --continue; empty in saves
    // from before it was kept. A code this version lacks is kept as it came
    // (letters, digits, - and _), anything else left out.
    std::string language;
    // The name the world gives itself in its world file, in UTF-8, for the
    // list of saves; empty for a world without one, and in older saves.
    std::string worldName;
};

std::string ComposeSave(const SaveData& save);
// Whether a save's language reads as a language's code, known or not.
bool LooksLikeLanguageCode(std::string_view code);
// Whether a file's first bytes are those of a saved game.
bool LooksLikeSave(std::string_view head);
// False, with the reason, for anything that is not a whole save of this version.
bool ParseSave(std::string_view text, SaveData& save, std::string& error);

// The world's line of a header: its folder as it is, or in hexadecimal when
// the folder's name holds bytes a line cannot carry; and back from a line's
// key and value.
std::string WorldLine(const std::string& world);
bool WorldFromField(std::string_view key, std::string_view value, std::string& world);

// Seconds since the epoch as "2026-12-07 03:17:04 UTC", and back.
std::string UtcText(std::int64_t seconds);
// Any year from 0000 is read (also those a wrong clock once wrote).
bool ParseUtcText(std::string_view text, std::int64_t& seconds);
// A stamp put within 1970 to 9999, the years every version reads.
std::int64_t StampWithinFormat(std::int64_t seconds);

}  // namespace rf
