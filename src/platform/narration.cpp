// The game's narration for screen readers, handed to the backend that shows
// it. Kept apart from the dispatch, like the farewell: every program links it.
#include "platform/narration.h"

#include <string>

#include "platform/backend.h"

namespace rf::platform {
namespace {

const Narrator* narrator = nullptr;
// The last line said, which a selection that did not change leaves unsaid.
std::string lastLine;

}  // namespace

void SetNarrator(const Narrator* n) { narrator = n; }

bool Narrating() { return narrator != nullptr; }

void NarrateMessage(std::string_view text) {
    lastLine.clear();
    if (narrator) narrator->message(text);
}

void Focus(int x, int y) {
    if (narrator && narrator->focus) narrator->focus(x, y);
}

void Narrate(std::string_view text) {
    if (!narrator || text == lastLine) return;
    lastLine = text;
    narrator->line(text);
}

}  // namespace rf::platform
