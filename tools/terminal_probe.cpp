// Drives the terminal backend without the game, for the real-terminal
// tests: a screen of test glyphs and the key codes read so far, or one of
// the ways out.
//   terminal_probe keys       draw, then show every key code; 'q' ends
//   terminal_probe console    as keys, in the console's own look
//   terminal_probe pause      as keys, after an animation of 3000 one-millisecond
//                             pauses and a pause of 2 s
//   terminal_probe exit N     end through Exit(N)
//   terminal_probe throw      end through an uncaught exception
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/console_session.h"
#include "text/sj_literal.h"

using namespace rf;

namespace {

void Put(int x, int y, std::string_view bytes, std::uint16_t attribute = 7) {
    platform::SetCursorPosition(x, y);
    platform::SetAttribute(attribute);
    platform::Write(bytes);
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "keys";
    platform::UseConsoleLook(mode == "console");
    platform::Open();
    platform::SetCursorVisible(false);
    Put(0, 0, "たたかう●○□△◎■ΩΨ×ｱｲｳ end"_sj);
    Put(0, 1, "HIGHLIGHT"_sj, 15);
    Put(10, 1, "plain"_sj);
    Put(0, 2, std::string_view("[\x80\xa0\xfd\\~\x81\x60]", 9));
    Put(79, 3, "X"_sj);
    Put(0, 24, "bottom"_sj);
    if (mode == "exit") {
        platform::Sleep(20);
        platform::Exit(argc > 2 ? std::stoi(argv[2]) : 0);
    }
    if (mode == "throw") {
        platform::Sleep(20);
        throw std::runtime_error("probe");
    }
    if (mode == "pause") {
        for (int i = 0; i < 3000; ++i) platform::Sleep(1);
        platform::Sleep(2000);
    }
    std::string codes = "keys:";
    Put(0, 5, codes);
    for (;;) {
        if (!platform::KeyWaiting()) continue;
        int code = platform::ReadKey();
        if (code == 'q') platform::Exit(0);
        codes += " " + std::to_string(code);
        Put(0, 5, codes);
    }
}
