#include "field/missing_file.h"

#include <string>

#include "console/console.h"
#include "core/load_log.h"
#include "core/texts.h"
#include "platform/console_session.h"
#include "saves/autosave.h"

namespace rf {

void StopForMissingFile(const WorldFile& file) {
    if (Remarking()) Remark(file, 0, Severity::kError, Rule::kUnreadable, ProblemSaid(file) + ": the game stops here");
    platform::SetFarewell("ranks: " + file.name + ": " + std::string(platform::ProblemText(file.problem)) + "\n");
    StopForMissingFile();
}

void StopForMissingFile() {
    // Whatever the player does now, the last save stays as it was; and the
    // notice is seen even when the game stops before its terminal was taken.
    NoteStop();
    platform::Open();
    HideCursor();  // at start-up the stop can come before the first screen hid it
    for (TextId line : {TextId::kMissingFile1, TextId::kMissingFile2, TextId::kMissingFile3, TextId::kMissingFile4})
        WriteLine(Text(line));
    std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. The game ends at the
    // 30th tick of the seconds clock after the noted second, 29 to 30 s
    // after the notice: one sleep to the 29th, then short ones to the tick.
    // A clock set back meanwhile counts the sleep just slept, never the hour
    // it went back.
    std::int64_t slept = 0;
    for (std::int64_t passed; (passed = platform::ClockSeconds() - noted) < 30;) {
        if (passed < 0) {
            noted += passed - slept;
            continue;
        }
        slept = passed < 29 ? 29 - passed : 0;
        platform::Sleep(slept > 0 ? static_cast<std::uint32_t>(slept) * 1000 : 10);
    }
    platform::Exit(-1);
}

}  // namespace rf
