// A recording as a file: a short readable header (version, world, the
// state the game began from) and then the console session's events.
#pragma once

#include <string>
#include <string_view>

#include "saves/save_format.h"

namespace rf {

// Raised whenever the events or the game's rules change, so an older
// recording is refused rather than replayed into a different game.
inline constexpr int kRecordingVersion = 1;

struct RecordingHeader {
    std::string world;
    std::string worldDigest;
    bool resumed = false;  // began from `save` rather than as a new game
    SaveData save;
    // How it was played, so a replay goes as the game went: the settings
    // that shape the game (core/setting_table.h). Recordings from before
    // this was written were played at the wait pace with the arrows alone,
    // and read no clock at their start.
    bool settingsGiven = false;
    Settings played = [] {
        Settings s;
        s.extraKeys = false;
        return s;
    }();
    std::int16_t language = -1;  // -1: the recording names none this game knows
    // The edition of the game's rules it was played by (a line from 2 on).
    int edition = 1;
    // What else shaped a new game (the play-test's start and level); each
    // is a line of its own, written only when it differs from a plain game.
    int startMap = 0, startX = -1, startY = -1;
    int level = 0;
};

std::string ComposeRecordingHeader(const RecordingHeader& header);
// Reads a recording's header from the start of its text; `eventsAt` gets
// where its events begin. False, with the reason, when it is not a
// recording this version can play.
bool ParseRecording(std::string_view text, RecordingHeader& header, std::size_t& eventsAt, std::string& error);
// Whether a file's first bytes are those of a recording.
bool LooksLikeRecording(std::string_view head);
// A recording's header is at most this long (it holds a save at most).
inline constexpr std::size_t kLongestRecordingHeader = 64 * 1024;

}  // namespace rf
