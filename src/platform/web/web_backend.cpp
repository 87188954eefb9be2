// The game in a web page (Emscripten): the console model's cells handed to
// the page as the terminal renderer would show them, keys from the page
// through the same key decoder, pauses and key waits handed back to the
// browser (ASYNCIFY) so the page stays alive while the game blocks. The
// painter's module (RANKS_WEB_PAINTER) also takes text beyond ASCII and
// has the page play-test a world.
#include <emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/model/drawn_console.h"
#include "platform/model/waiting.h"
#include "platform/player_files.h"
#include "platform/streams.h"
#include "platform/web/web_pacing.h"
#include "text/cp932.h"

// JavaScript inside, which clang-format would break.
// clang-format off
// The page's side (web/page.js sets these on the module object).
// A row of the screen as it is to show: its glyphs as UTF-8 (a wide
// glyph once) and, for each of its 80 cells, a pair of words:
// flags << 24 | foreground, background (0xRRGGBB); flags 1 bold,
// 2 underline, 4 wide (the next cell is its right half).
EM_JS(void, web_row, (int y, const char* text, int size, const std::uint32_t* cells), {
    Module.ranksRow(y, UTF8ToString(text, size), HEAPU32.slice(cells >> 2, (cells >> 2) + 160));
});
// Where the cursor is, when it shows (x < 0 when it does not).
EM_JS(void, web_cursor, (int x, int y), { Module.ranksCursor(x, y); });
EM_JS(int, web_take_input, (char* buffer, int capacity), {
    return Module.ranksTakeInput(HEAPU8.subarray(buffer, buffer + capacity));
});
// Resolves on the next input, or after timeoutMs (never when negative).
EM_ASYNC_JS(void, web_wait_input, (int timeoutMs), {
    await Module.ranksWaitInput(timeoutMs);
});
// A pause handed to the browser; the page cuts it short only to have the
// game save (a page being closed does not wait for a timer).
EM_ASYNC_JS(void, web_sleep, (double milliseconds), {
    await Module.ranksSleep(milliseconds);
});
// Each pause as the game asks for it (the page's benchmark times them).
EM_JS(void, web_pausing, (unsigned milliseconds), {
    if (Module.ranksPausing) Module.ranksPausing(milliseconds);
});
EM_JS(double, web_clock_seconds, (), { return Module.ranksClockSeconds(); });
EM_JS(void, web_printed, (int error, const char* text, int size), {
    Module.ranksPrinted(error !== 0, UTF8ToString(text, size));
});
// What a screen reader is given (the page's live region).
EM_JS(void, web_narrate_message, (const char* text, int size), {
    if (Module.ranksNarrate) Module.ranksNarrate({message: UTF8ToString(text, size)});
});
EM_JS(void, web_narrate_line, (const char* text, int size), {
    if (Module.ranksNarrate) Module.ranksNarrate({line: UTF8ToString(text, size)});
});
// The browser's speech, when the player turns speech on.
EM_JS(int, web_speech_open, (), { return Module.ranksSpeech ? Module.ranksSpeech.open() : 0; });
EM_JS(void, web_speak, (const char* text, int size, int kept), {
    if (Module.ranksSpeech) Module.ranksSpeech.say(UTF8ToString(text, size), kept !== 0);
});
EM_JS(void, web_speech_language, (const char* code, int size), {
    if (Module.ranksSpeech) Module.ranksSpeech.language(UTF8ToString(code, size));
});
EM_JS(void, web_speech_close, (), { if (Module.ranksSpeech) Module.ranksSpeech.close(); });
// Where the player looks, for the page's zoomed view.
EM_JS(void, web_focus, (int x, int y), {
    if (Module.ranksFocus) Module.ranksFocus(x, y);
});
// A replay's state as a terminal's title would show it.
EM_JS(void, web_title, (const char* text, int size), {
    if (Module.ranksTitle) Module.ranksTitle(UTF8ToString(text, size));
});
// The page asks for a save after a key, and when it may be closed (hidden,
// or left; it then wakes the game): the game keeps what quitting would
// keep, tells the page, and goes on where it was.
EM_JS(int, web_take_save_request, (), {
    var asked = Module.ranksSaveRequested;
    Module.ranksSaveRequested = false;
    return asked ? 1 : 0;
});
EM_JS(void, web_saved, (), { Module.ranksSaved(); });
// Tells the page the game has ended, then never resumes: the page starts
// a fresh instance to play again.
EM_ASYNC_JS(void, web_end, (int status), {
    Module.ranksEnded(status);
    await new Promise(function() {});
});
// Whether the page has started another game (another world, play again):
// this one then stops where it is, at its next pause or wait.
EM_JS(int, web_replaced, (), { return Module.ranksReplaced ? 1 : 0; });
EM_ASYNC_JS(void, web_halt, (), { await new Promise(function() {}); });
// Resolves once the page has copied the player's stored files in.
EM_ASYNC_JS(void, web_await_player_files, (), { await Module.ranksPlayerFiles(); });
#ifdef RANKS_WEB_PAINTER
// The page plays the command's game (its arguments, one a line) in the
// same screen, and resolves to its exit status once it has ended.
EM_ASYNC_JS(int, web_play, (const char* command, int size), {
    return await Module.ranksPlay(UTF8ToString(command, size).split('\n').slice(0, -1));
});
#endif
// clang-format on

namespace rf::platform {
namespace {

struct WebState {
    DrawnConsole drawn;
    // What the page shows; nothing before the first frame.
    bool shownOnce = false;
    ShownCell shown[TerminalRenderer::kRows][TerminalRenderer::kColumns];
    int cursorX = -2, cursorY = -2;
    PauseAccount pauses;
    // The farewell line already handed to the page, which shows it at once.
    std::string farewellShown;
    // Keys read since the game was last saved.
    int keysSinceSave = 0;
};

WebState state;

double NowMs() { return emscripten_get_now(); }

void Present() {
    if (const std::string& farewell = PendingFarewell(); farewell != state.farewellShown) {
        state.farewellShown = farewell;
        if (!farewell.empty()) PrintError(farewell);
    }
    const VirtualConsole& model = state.drawn.model;
    if (!state.drawn.ModelChanged() && state.shownOnce) return;
    TerminalRenderer& renderer = state.drawn.renderer;
    renderer.Want(model);
    // The page draws the rows that changed.
    for (int y = 0; y < TerminalRenderer::kRows; ++y) {
        bool changed = !state.shownOnce;
        std::uint32_t cells[2 * TerminalRenderer::kColumns];
        for (int x = 0; x < TerminalRenderer::kColumns; ++x) {
            const ShownCell c = renderer.ShownAt(x, y);
            changed = changed || c != state.shown[y][x];
            state.shown[y][x] = c;
            const std::uint32_t flags = (c.bold ? 1U : 0U) | (c.underline ? 2U : 0U) | (c.wide ? 4U : 0U);
            cells[2 * x] = flags << 24 | c.foreground;
            cells[2 * x + 1] = c.background;
        }
        if (!changed) continue;
        const std::string text = TerminalRenderer::TextOf(state.shown[y]);
        web_row(y, text.data(), static_cast<int>(text.size()), cells);
    }
    state.shownOnce = true;
    const bool visible = model.CursorVisible() && model.CursorY() < TerminalRenderer::kRows;
    const int x = visible ? model.CursorX() : -1, y = visible ? model.CursorY() : -1;
    if (x != state.cursorX || y != state.cursorY) web_cursor(x, y);
    state.cursorX = x;
    state.cursorY = y;
}

[[noreturn]] void End(int status) {
    Present();
    // What the game has to say on its way out (a missing file's name).
    if (std::string farewell = TakeFarewell(); !farewell.empty() && farewell != state.farewellShown)
        PrintError(farewell);
    web_end(status);
    __builtin_unreachable();
}

void HaltIfReplaced() {
    if (web_replaced()) web_halt();
}

// Takes what the page has queued from the keyboard.
void ReadInput() {
    char buffer[256];
    for (;;) {
        int n = web_take_input(buffer, sizeof buffer);
        if (n <= 0) break;
        state.drawn.decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(n)),
                                 static_cast<std::int64_t>(NowMs()));
    }
    state.drawn.decoder.Tick(static_cast<std::int64_t>(NowMs()));
    // Ctrl+C ends the game as in a terminal (the game saves on its way
    // out); there is no job to suspend.
    if (state.drawn.decoder.TakeInterrupt()) {
        RunBeforeExit();
        End(130);
    }
    state.drawn.decoder.TakeSuspend();
}

// Saves as quitting would, with the recording up to the last key, once a
// key read has done what it does (the game looks at the keyboard again)
// and when the page asks (it may be closed). Only where the game looks at
// the keyboard: there its records are whole, never halfway through a map
// change.
void SaveIfAsked() {
    const bool asked = web_take_save_request() != 0;
    if (!asked && state.keysSinceSave == 0) return;
    state.keysSinceSave = 0;
    KeepAsQuitting();
    FlushRecording();
    web_saved();
}

// Blocks until input arrives, or until a held ESC would settle.
void WaitForInput() {
    Present();
    // The last frame of an animation stays up for its whole pause first: a
    // timer for most of it, then the clock for the rest.
    if (double owed = state.pauses.Owed(NowMs()); owed > 0) {
        if (owed >= PauseAccount::kYieldFromMs) {
            web_sleep(owed - PauseAccount::kTimerLateMs);
            HaltIfReplaced();
            state.pauses.Yielded(NowMs());
        }
        while (state.pauses.Owed(NowMs()) > 0) {
        }
        ReadInput();
        if (state.drawn.decoder.HasKey()) return;
    }
    SaveIfAsked();
    std::int64_t settle = state.drawn.decoder.MsUntilSettled(static_cast<std::int64_t>(NowMs()));
    web_wait_input(settle < 0 ? -1 : static_cast<int>(settle) + 1);
    HaltIfReplaced();
    state.pauses.Forget();
    state.pauses.Yielded(NowMs());
    ReadInput();
}

#ifndef RANKS_WEB_PAINTER  // the painter's module says nothing (NativeBackend)
void ShowNarratedMessage(std::string_view cp932) {
    std::string text = Cp932ToUtf8(cp932);
    web_narrate_message(text.data(), static_cast<int>(text.size()));
}

void ShowNarratedLine(std::string_view cp932) {
    std::string text = Cp932ToUtf8(cp932);
    web_narrate_line(text.data(), static_cast<int>(text.size()));
}

void ShowFocus(int x, int y) { web_focus(x, y); }

constexpr Narrator kNarrator{ShowNarratedMessage, ShowNarratedLine, ShowFocus};
#endif

void SpeechLanguage(std::string_view code) { web_speech_language(code.data(), static_cast<int>(code.size())); }

bool OpenSpeech(std::string_view code, std::string& problem) {
    if (web_speech_open() == 0) {
        problem = "this browser has no speech synthesis";
        return false;
    }
    SpeechLanguage(code);
    return true;
}

void Speak(std::string_view cp932, Voice voice) {
    std::string text = Cp932ToUtf8(cp932);
    web_speak(text.data(), static_cast<int>(text.size()), voice == Voice::kKept ? 1 : 0);
}

constexpr Speaker kSpeaker{OpenSpeech, Speak, SpeechLanguage, web_speech_close};

}  // namespace

namespace web {

void Open() {
    // The page draws the cells as a terminal of 24-bit colours would: the
    // console's own grey and white.
    state.drawn.renderer =
        TerminalRenderer(Colours::kExact, true, ConsoleLook() ? ScreenLook::kConsole : ScreenLook::kMarked);
    // The ambiguous glyphs (■ ● ◎ ...) one cell wide, as in a terminal:
    // the page's fonts draw them so.
    state.drawn.renderer.SetAmbiguousWidth(1);
    state.shownOnce = false;
    Present();
}

void SetCursorPosition(int x, int y) { state.drawn.model.SetCursor(x, y); }
void SetAttribute(std::uint16_t attribute) { state.drawn.model.SetAttribute(attribute); }
void Write(std::string_view bytes) { state.drawn.model.Write(bytes); }
void SetCursorVisible(bool visible) { state.drawn.model.SetCursorVisible(visible); }
bool CursorVisible() { return state.drawn.model.CursorVisible(); }

void Sleep(std::uint32_t milliseconds) {
    Present();
    web_pausing(milliseconds);
    state.drawn.idle.Busy();
    double yieldMs = state.pauses.Pause(NowMs(), milliseconds);
    if (yieldMs > 0) {
        web_sleep(yieldMs);
        HaltIfReplaced();
        state.pauses.Yielded(NowMs());
        ReadInput();
    }
}

bool KeyWaiting() {
    SaveIfAsked();
    Present();
    ReadInput();
    return state.drawn.KeyWaiting(WaitForInput);
}

int ReadKey() {
    SaveIfAsked();
    state.drawn.idle.Busy();
    for (;;) {
        ReadInput();
        if (state.drawn.decoder.HasKey()) {
            ++state.keysSinceSave;
            return state.drawn.decoder.NextKey();
        }
        WaitForInput();
    }
}

std::int64_t ClockSeconds() { return static_cast<std::int64_t>(web_clock_seconds()); }

// The first frame is shown while the page reads the stored files.
void AwaitPlayerFiles() {
    Present();
    web_await_player_files();
    HaltIfReplaced();
}

void Exit(int status) { End(status); }

#ifdef RANKS_WEB_PAINTER
void TakeText(bool on) { state.drawn.decoder.TakeText(on); }

int RunInConsole(const std::vector<std::string>& command) {
    std::string lines;
    for (const std::string& part : command) lines += part + "\n";
    Present();
    const int status = web_play(lines.data(), static_cast<int>(lines.size()));
    HaltIfReplaced();
    // The game drew over this screen: all of it again.
    state.shownOnce = false;
    state.cursorX = state.cursorY = -2;
    return status;
}
#endif

}  // namespace web

const Speaker* NativeSpeaker() { return &kSpeaker; }

const Backend& NativeBackend() {
#ifndef RANKS_WEB_PAINTER
    // Narrated from the game's first call on: start-up draws the field
    // before the console is opened, and arriving there is said too. The
    // painter says nothing, as in a terminal: its checker walks the world's
    // enemies, which would be said as if they came near.
    static const bool narrating = (SetNarrator(&kNarrator), true);
    (void)narrating;
#endif
    static constexpr Backend kWeb{web::Open,
                                  web::SetCursorPosition,
                                  web::SetAttribute,
                                  web::Write,
                                  web::SetCursorVisible,
                                  web::CursorVisible,
                                  web::Sleep,
                                  nullptr,
                                  web::KeyWaiting,
                                  web::ReadKey,
                                  web::ClockSeconds,
                                  web::Exit,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  web::AwaitPlayerFiles,
#ifdef RANKS_WEB_PAINTER
                                  web::TakeText,
                                  web::RunInConsole
#endif
    };
    return kWeb;
}

// The page shows its own heading; a replay's title (playing, paused,
// ended) is the page's to say.
void ShowTitle(std::string_view utf8) { web_title(utf8.data(), static_cast<int>(utf8.size())); }

void PrintOut(std::string_view text) { web_printed(0, text.data(), static_cast<int>(text.size())); }
void PrintError(std::string_view text) { web_printed(1, text.data(), static_cast<int>(text.size())); }

char PathSeparator() { return '/'; }

std::string HowToResume(const std::string&, const std::string&, bool) { return "Continue (in the list of your games)"; }

// The page's file system holds the default world under /game/world.
std::string ExecutableDirectory() { return "/game"; }

}  // namespace rf::platform
