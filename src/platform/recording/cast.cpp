// The capture behind --cast: the headless session presents where a
// terminal would, and each frame the renderer makes of it becomes an
// output event.
#include "platform/cast.h"

#include <cstdint>
#include <cstdio>

#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/model/terminal_renderer.h"
#include "platform/player_files.h"
#include "platform/recording.h"

namespace rf::platform {
namespace {

struct CastState {
    TerminalRenderer renderer;
    std::string events;
    std::uint64_t version = 0;
    bool drawnOnce = false;
    std::string path;
    int speed = 1;
    std::int64_t lastGameMs = 0;
    std::int64_t castUs = 0;
};

CastState cast;

// A JSON string: quotes, backslashes and control bytes escaped; the
// renderer's UTF-8 passes as it is.
void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", b);
            out += hex;
        } else {
            out += c;
        }
    }
    out += '"';
}

void Capture() {
    const VirtualConsole& screen = headless::Screen();
    if (cast.drawnOnce && screen.Version() == cast.version) return;
    cast.drawnOnce = true;
    cast.version = screen.Version();
    const std::string frame = cast.renderer.Frame(screen);
    if (frame.empty()) return;
    const std::int64_t now = headless::NowMs();
    std::int64_t waitUs = (now - cast.lastGameMs) * 1000 / cast.speed;
    if (cast.speed > 1 && waitUs > std::int64_t{kCastIdleLimitMs} * 1000)
        waitUs = std::int64_t{kCastIdleLimitMs} * 1000;
    cast.lastGameMs = now;
    cast.castUs += waitUs;
    char time[32];
    std::snprintf(time, sizeof time, "[%lld.%06lld, \"o\", ", static_cast<long long>(cast.castUs / 1000000),
                  static_cast<long long>(cast.castUs % 1000000));
    cast.events += time;
    AppendJsonString(cast.events, frame);
    cast.events += "]\n";
}

}  // namespace

void StartCast(const std::string& path, int speed) {
    cast = CastState{};
    cast.path = path;
    cast.speed = speed < 1 ? 1 : speed;
    // The terminal answers as xterm does: glyphs of ambiguous width in one
    // cell, the background kept in moved blanks, 256 colours, 80 by 25.
    cast.renderer =
        TerminalRenderer(Colours::kPalette, true, ConsoleLook() ? ScreenLook::kConsole : ScreenLook::kMarked);
    cast.renderer.SetAmbiguousWidth(1);
    cast.renderer.SetMovedBlanksKept(true);
    cast.renderer.SetTerminalSize(TerminalRenderer::kColumns, TerminalRenderer::kRows);
    cast.lastGameMs = headless::NowMs();
    headless::SetPresentObserver(Capture);
    ReplayAsSeen();
}

std::string CastText(std::string_view title) {
    Capture();  // what the game drew since it last waited
    std::string text = "{\"version\": 2, \"width\": " + std::to_string(TerminalRenderer::kColumns) +
                       ", \"height\": " + std::to_string(TerminalRenderer::kRows) + ", \"title\": ";
    AppendJsonString(text, title);
    text += ", \"env\": {\"TERM\": \"xterm-256color\"}}\n";
    return text + cast.events;
}

std::string CastFileProblem(const std::string& path) {
    std::string problem = OutputFileProblem(path);
    const DataFileBytes head = ReadDataFile(path, 16);
    if (!problem.empty() || head.problem != FileProblem::kNone || head.bytes.empty()) return problem;
    const bool earlier = head.bytes.starts_with("{\"version\": 2,") || head.bytes.starts_with("{\"version\":2,");
    return earlier ? "" : "it is not an asciicast, and would be overwritten";
}

bool WriteCast(std::string_view title, std::string& problem) {
    problem = CastFileProblem(cast.path);
    if (!problem.empty()) return false;
    bool taken = false;
    std::FILE* file = OpenOutputFile(cast.path, false, taken, problem);
    if (file == nullptr) return false;
    const std::string text = CastText(title);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) problem = "it could not be written whole";
    return problem.empty();
}

}  // namespace rf::platform
