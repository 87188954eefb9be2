// Speech Dispatcher, the speech service of Linux desktops, through its
// client library loaded when speech is first turned on.
#pragma once

#include "platform/backend.h"

namespace rf::platform {

const Speaker& SpeechDispatcher();

}  // namespace rf::platform
