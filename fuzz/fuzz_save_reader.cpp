// The save and recording readers: any bytes are refused or give a save (or a
// recording's header) that reads back the same when written again, whose
// records hold as the game keeps them, and whose hero the status panel draws
// within the screen.
#include <string>

#include "console/status_display.h"
#include "core/game_state.h"
#include "replay/recording_file.h"
#include "saves/save_format.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SaveData save;
    std::string error;
    if (ParseSave(text, save, error)) {
        const std::string again = ComposeSave(save);
        SaveData back;
        if (!ParseSave(again, back, error) || ComposeSave(back) != again) __builtin_trap();
        hero = save.hero;
        itemEffects = save.effects;
        DrawLevel();
        DrawHpGauge();
        DrawEffectFrames();
        fuzz::CheckRecords(false);
    } else if (error.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    RecordingHeader header;
    std::size_t eventsAt = 0;
    if (ParseRecording(text, header, eventsAt, error)) {
        if (eventsAt > text.size()) __builtin_trap();
        const std::string again = ComposeRecordingHeader(header);
        RecordingHeader back;
        if (!ParseRecording(again, back, eventsAt, error) || ComposeRecordingHeader(back) != again) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();
    }
    return 0;
}
