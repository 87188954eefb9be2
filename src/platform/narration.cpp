// The game's narration for screen readers and speech, handed to the
// backend that shows it and the system's voice that says it. Kept apart
// from the dispatch, like the farewell: every program links it.
#include "platform/narration.h"

#include <string>

#include "platform/backend.h"

namespace rf::platform {
namespace {

const Narrator* narrator = nullptr;
const Speaker* speaker = nullptr;  // set while speech is on
// The last line said, which a selection that did not change leaves unsaid.
std::string lastLine;

}  // namespace

void SetNarrator(const Narrator* n) { narrator = n; }

bool Narrating() { return narrator != nullptr || speaker != nullptr; }

void NarrateMessage(std::string_view text) {
    lastLine.clear();
    if (narrator) narrator->message(text);
    if (speaker) speaker->say(text, Voice::kKept);
}

void Focus(int x, int y) {
    if (narrator && narrator->focus) narrator->focus(x, y);
}

void Narrate(std::string_view text, Voice voice) {
    if (!Narrating() || text == lastLine || text.empty()) return;
    lastLine = text;
    if (narrator) narrator->line(text);
    if (speaker) speaker->say(text, voice);
}

void NarrateAgain(std::string_view text, Voice voice) {
    lastLine.clear();
    Narrate(text, voice);
}

bool StartSpeech(std::string_view code, std::string& problem) {
    if (speaker) return true;
    const Speaker* native = NativeSpeaker();
    if (!native) {
        problem = "this build has no speech";
        return false;
    }
    if (!native->open(code, problem)) return false;
    speaker = native;
    return true;
}

void StopSpeech() {
    if (speaker) speaker->close();
    speaker = nullptr;
}

bool Speaking() { return speaker != nullptr; }

void SpeakIn(std::string_view code) {
    if (speaker) speaker->language(code);
}

}  // namespace rf::platform
