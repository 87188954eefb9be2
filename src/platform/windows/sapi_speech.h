// Windows' own speech (SAPI), through a voice of the game's language.
#pragma once

#include "platform/backend.h"

namespace rf::platform {

const Speaker& SapiSpeech();

}  // namespace rf::platform
