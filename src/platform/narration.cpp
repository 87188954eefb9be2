// The game's narration for screen readers, handed to the backend that shows
// it. Kept apart from the dispatch, like the farewell: every program links it.
#include "platform/narration.h"
#include "platform/backend.h"

namespace rf::platform {
namespace {

const Narrator* narrator = nullptr;

}  // namespace

void SetNarrator(const Narrator* n) { narrator = n; }

void NarrateMessage(std::string_view text) {
    if (narrator) narrator->message(text);
}

void NarrateField(int map, int level, int hp) {
    if (narrator) narrator->field(map, level, hp);
}

}  // namespace rf::platform
