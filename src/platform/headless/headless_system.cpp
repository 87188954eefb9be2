// The rest of the platform for the test programs: headless is their native
// backend, and what the game prints is kept for the tests to read.
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/streams.h"

namespace rf::platform {

const Backend& NativeBackend() { return HeadlessBackend(); }
void ShowTitle(std::string_view) {}
// Nothing to say it with: the tests hear the narration through a narrator.
const Speaker* NativeSpeaker() { return nullptr; }

void PrintOut(std::string_view text) { headless::Printed(false) += text; }
void PrintError(std::string_view text) { headless::Printed(true) += text; }

char PathSeparator() { return '/'; }

std::string ExecutableDirectory() { return headless::ExecutableDirectoryForTests(); }

}  // namespace rf::platform
