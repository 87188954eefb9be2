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
    // Keys are not read: the stop has no way back. The game ends at the
    // 30th tick of the seconds clock after the noted second, 29 to 30 s
    // after the notice, in one sleep.
    platform::SleepUntilClock(platform::ClockSeconds() + 30);
    platform::Exit(-1);
}

}  // namespace rf
