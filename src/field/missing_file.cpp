#include "field/missing_file.h"

#include <algorithm>
#include <string>

#include "console/console.h"
#include "core/load_log.h"
#include "core/texts.h"
#include "platform/console_session.h"
#include "saves/autosave.h"

namespace rf {

void StopForMissingFile(const WorldFile& file) {
    if (Remarking()) Remark(file, 0, Severity::kError, ProblemSaid(file) + ": the game stops here");
    platform::SetFarewell("ranks: " + file.name + ": " + std::string(platform::ProblemText(file.problem)) + "\n");
    StopForMissingFile();
}

void StopForMissingFile() {
    // Whatever the player does now, the last save stays as it was; and the
    // notice is seen even when the game stops before its terminal was taken.
    NoteStop();
    platform::Open();
    for (TextId line : {TextId::kMissingFile1, TextId::kMissingFile2, TextId::kMissingFile3, TextId::kMissingFile4})
        WriteLine(Text(line));
    const std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. One sleep for what is left
    // keeps the process from waking at all until then.
    for (std::int64_t passed; (passed = platform::ClockSeconds() - noted) < 30;)
        platform::Sleep(static_cast<std::uint32_t>(std::min<std::int64_t>(30 - passed, 30)) * 1000);
    platform::Exit(-1);
}

}  // namespace rf
