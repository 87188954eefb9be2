#include "console/console.h"

#include <algorithm>
#include <string>

#include "core/game_state.h"
#include "platform/console_session.h"

namespace rf {

void HideCursor() { platform::SetCursorVisible(false); }
void ShowCursor() { platform::SetCursorVisible(true); }
bool Seen() { return !platform::Unseen(); }
bool DrawsFrame(int frame, int frames) { return frame == 0 || frame == frames - 1 || Seen(); }

void SetTextAttribute(std::uint16_t attribute) {
    console.attribute = attribute;
    platform::SetAttribute(attribute);
}

void Highlight() { SetTextAttribute(static_cast<std::uint16_t>(console.attribute | kIntensity)); }

void MoveTo(int x, int y) {
    console.x = static_cast<std::int16_t>(x);
    console.y = static_cast<std::int16_t>(y);
    platform::SetCursorPosition(x, y);
}

void Write(std::string_view text) { platform::Write(text); }

void WriteNumber(long long value) { platform::Write(std::to_string(value)); }

void WriteLine(std::string_view text) {
    platform::Write(text);
    platform::Write("\n");
}

void WriteSpaces(int count) {
    // A row's worth at a time, without making a string for each.
    static constexpr std::string_view kRow =
        "                                                                                ";
    for (; count > 0; count -= static_cast<int>(kRow.size()))
        platform::Write(kRow.substr(0, static_cast<std::size_t>(std::min<int>(count, static_cast<int>(kRow.size())))));
}

std::string Underlined(std::string_view title, int before, int width) {
    std::string edge(static_cast<std::size_t>(std::max(0, before)), '_');
    edge += title;
    if (edge.size() < static_cast<std::size_t>(width)) edge.append(static_cast<std::size_t>(width) - edge.size(), '_');
    return edge;
}

void ClearScreen() {
    MoveTo(0, 0);
    for (int i = 0; i < 30; ++i) WriteSpaces(kScreenColumns);
}

bool KeyWaiting() { return platform::KeyWaiting(); }
int ReadKey() {
    namespace keys = platform::keys;
    const int code = platform::ReadKey();
    const bool scanCode = console.afterPrefix;
    console.afterPrefix = !scanCode && (code == keys::kPrefix || code == keys::kFunctionPrefix);
    if (!settings.extraKeys || settings.classic || scanCode) return code;
    switch (code) {
        case keys::kViUp:
        case keys::kPad8: return kKeyUp;
        case keys::kViDown:
        case keys::kPad2: return kKeyDown;
        case keys::kViLeft:
        case keys::kPad4: return kKeyLeft;
        case keys::kViRight:
        case keys::kPad6: return kKeyRight;
        default: return code;
    }
}

void DiscardWaitingKeys() {
    while (platform::KeyWaiting()) platform::ReadKey();
    console.afterPrefix = false;
}

void DropKeysUntilQuiet() {
    constexpr std::uint32_t kStep = 10, kSteps = kQuietMs / kStep;
    for (;;) {
        DiscardWaitingKeys();
        for (std::uint32_t passed = 0; passed < kSteps && !platform::KeyWaiting();)
            passed += platform::PauseForKey(kStep, kSteps - passed);
        if (!platform::KeyWaiting()) return;
    }
}
void Pause(std::uint32_t milliseconds) { platform::Sleep(milliseconds); }
std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps) { return platform::PauseForKey(step, steps); }
void NothingMovesUntilKey() { platform::NothingMovesUntilKey(); }

}  // namespace rf
