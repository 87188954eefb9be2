// What every backend that draws the console model on a terminal keeps
// alike: the model, its renderer, the key decoder, and what the game's key
// polls say about waiting (the terminal and the web page).
#pragma once

#include <cstdint>
#include <string>

#include "platform/model/key_decoder.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/virtual_console.h"
#include "platform/model/waiting.h"

namespace rf::platform {

class DrawnConsole {
public:
    VirtualConsole model;
    TerminalRenderer renderer;
    KeyDecoder decoder;
    IdlePolls idle;

    // The bytes that bring the terminal up to date; empty when neither the
    // model changed nor a repaint is due since the last frame.
    std::string Frame() {
        if (!ModelChanged() && !renderer.RepaintPending()) return {};
        return renderer.Frame(model);
    }

    // Whether the model changed since the last call (the first call: yes).
    bool ModelChanged() {
        if (presentedOnce_ && model.Version() == presentedVersion_) return false;
        presentedVersion_ = model.Version();
        presentedOnce_ = true;
        return true;
    }

    // A key test. When no key is queued and the game only waits (a long run
    // of polls with neither a pause nor output between them),
    // `waitForInput()` may block until input can have come; then the queue
    // is looked at once more.
    template <typename Wait>
    bool KeyWaiting(Wait waitForInput) {
        // Output since the last poll means the game is busy, not waiting.
        if (model.Version() != versionAtLastPoll_) idle.Busy();
        versionAtLastPoll_ = model.Version();
        if (!decoder.HasKey() && idle.Idle()) waitForInput();
        if (!decoder.HasKey()) return false;
        idle.Busy();
        return true;
    }

private:
    std::uint64_t presentedVersion_ = 0;
    std::uint64_t versionAtLastPoll_ = 0;
    bool presentedOnce_ = false;
};

}  // namespace rf::platform
