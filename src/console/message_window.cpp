#include "console/message_window.h"

#include "console/console.h"
#include "core/game_state.h"
#include "platform/console_session.h"
#include "platform/narration.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

int MessageLeft() { return battleLeft + 2; }

// The waiting mark at the right end of line 1. It is drawn beside the
// cursor cell the game keeps, which stays where the rules left it, and
// the console cursor goes back after the typed text.
constexpr int kMarkCells = 2;
int MarkColumn() { return MessageLeft() + kMessageWidth - kMarkCells; }
int TypedEnd() { return MessageLeft() + static_cast<int>(messageWindow.history[0].size()); }

bool ShowsWaitingMark() { return !platform::ConsoleLook() && TypedEnd() < MarkColumn(); }

void DrawWaitingMark(std::string_view mark) {
    platform::SetCursorPosition(MarkColumn(), kMessageTop);
    platform::Write(mark);
    platform::SetCursorPosition(TypedEnd(), kMessageTop);
}

// The typing nobody sees: the text at once, then the steps' pauses with a
// look for a key before each, as typing it goes; after an acknowledgement
// the steps left look without pausing, each after some output (of the text
// none is left).
void TypeUnseen(std::string_view text, std::size_t steps) {
    Write(text);
    for (std::size_t step = 1; step <= steps;) {
        if (KeyWaiting() && IsAcknowledgeKey(ReadKey())) {
            for (++step; step <= steps; ++step) {
                Write({});
                if (KeyWaiting()) ReadKey();
            }
            break;
        }
        step += PauseForKey(kTypingDelayMs, static_cast<std::uint32_t>(steps - step + 1));
    }
    Write({});
}

}  // namespace

void PushMessage() {
    for (int n = 3; n >= 0; --n) messageWindow.history[n + 1] = messageWindow.history[n];
}

void SetNewestMessage(std::string_view text, std::size_t pace) {
    messageWindow.history[0] = std::string(text);
    messageWindow.newestPace = pace;
}

void ShowMessages() {
    ShowCursor();
    // Where nobody sees the window only line 2 is drawn: it begins blanked
    // or with a blank, so the typing goes on from it as from all four.
    for (int n = Seen() ? 4 : 1; n >= 1; --n) {
        const std::string& text = messageWindow.history[n];
        if (text.empty() || text[0] != ' ') {
            MoveTo(MessageLeft(), kMessageTop - 1 + n);
            WriteSpaces(kMessageWidth);
            // The bottom line is blanked too, so no tail of a longer text stays there.
            if (n == 4) {
                MoveTo(MessageLeft(), kMessageTop + 4);
                WriteSpaces(kMessageWidth);
            }
        }
        MoveTo(MessageLeft(), kMessageTop + n);
        Write(text);
    }
    MoveTo(MessageLeft(), kMessageTop);
    const std::string text = messageWindow.history[0];
    platform::NarrateMessage(text);
    if (settings.pace == MessagePace::kInstant) {
        Write(text);
        return;
    }
    // One step a byte of the paced length; the text's own bytes are spread
    // over the steps (one a step when both lengths are the same).
    const std::size_t steps = messageWindow.newestPace == 0 ? text.size() : messageWindow.newestPace;
    if (!Seen()) return TypeUnseen(text, steps);
    bool pausing = true;
    std::size_t written = 0;
    for (std::size_t step = 1; step <= steps; ++step) {
        const std::size_t upTo = text.size() * step / steps;
        Write(std::string_view(text).substr(written, upTo - written));
        written = upTo;
        if (KeyWaiting() && IsAcknowledgeKey(ReadKey())) pausing = false;
        if (pausing) Pause(kTypingDelayMs);
    }
    Write(std::string_view(text).substr(written));
}

void DrawNewestAtOnce(std::string_view text) {
    SetNewestMessage(text);
    MoveTo(MessageLeft(), kMessageTop);
    Write(text);
}

void ClearMessageLine(int line) {
    if (line < 1 || line > 5) return;
    MoveTo(MessageLeft(), kMessageTop - 1 + line);
    WriteSpaces(kMessageWidth);
    messageWindow.history[line - 1] = " ";
}

void ClearAllMessageLines() {
    // Unseen, only the last line is blanked, after which the cursor stands.
    for (int line = 1; line <= 5; ++line) {
        if (line == 5 || Seen()) ClearMessageLine(line);
        else messageWindow.history[line - 1] = " ";
    }
}

bool IsAcknowledgeKey(int code) { return code == kKeyEnter || code == kKeyRight || code == kKeyDown; }

void WaitForAcknowledge() {
    if (settings.pace == MessagePace::kAuto) {
        // One sleep to the pause's end that a key cuts short; the pauses
        // it stands for are recorded as if looked after one by one.
        constexpr std::uint32_t kSteps = kAutoPauseMs / kAutoPollMs;
        for (std::uint32_t passed = 0; passed < kSteps;) {
            if (KeyWaiting() && IsAcknowledgeKey(ReadKey())) return;
            passed += PauseForKey(kAutoPollMs, kSteps - passed);
        }
        return;
    }
    const bool marked = ShowsWaitingMark();
    if (marked) DrawWaitingMark("▼"_sj);
    for (;;) {
        if (KeyWaiting() && IsAcknowledgeKey(ReadKey())) break;
    }
    if (marked) DrawWaitingMark("  ");
}

void ShowMessageAndWait(std::string_view text) {
    SetNewestMessage(text);
    ShowMessages();
    WaitForAcknowledge();
    HideCursor();
}

void ShowMessageAndWait(const Message& message) {
    SetNewestMessage(message.text, message.pace);
    ShowMessages();
    WaitForAcknowledge();
    HideCursor();
}

void ShowMessage(std::string_view text) {
    PushMessage();
    SetNewestMessage(text);
    ShowMessages();
}

void ShowMessage(const Message& message) {
    PushMessage();
    SetNewestMessage(message.text, message.pace);
    ShowMessages();
}

}  // namespace rf
