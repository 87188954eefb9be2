// The line a way out leaves on standard error once the console is restored.
// Kept apart from the dispatch: every backend, the headless one included,
// takes it on its way out, and each program links the dispatch differently.
#include <string>
#include <utility>

#include "platform/backend.h"
#include "platform/console_session.h"

namespace rf::platform {
namespace {

std::string farewell;

}  // namespace

void SetFarewell(std::string_view text) { farewell = text; }
std::string TakeFarewell() { return std::exchange(farewell, std::string()); }
const std::string& PendingFarewell() { return farewell; }

}  // namespace rf::platform
