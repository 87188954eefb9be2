#include "field/missing_file.h"

#include <algorithm>
#include <string>

#include "console/console.h"
#include "core/load_log.h"
#include "platform/console.h"
#include "saves/autosave.h"
#include "text/sj_literal.h"

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
    HideCursor();  // at start-up the stop can come before the first screen hid it
    WriteLine("ファイルが存在しないため情報の初期化に失敗しました。"_sj);
    WriteLine("ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。"_sj);
    WriteLine("ファイルが見つからない場合はもう一度ダウンロードしてください。"_sj);
    WriteLine(" 30 秒後に強制終了しますので手動で閉じないでください。"_sj);
    const std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. One sleep for what is left
    // keeps the process from waking at all until then.
    for (std::int64_t passed; (passed = platform::ClockSeconds() - noted) < 30;)
        platform::Sleep(static_cast<std::uint32_t>(std::min<std::int64_t>(30 - passed, 30)) * 1000);
    platform::Exit(-1);
}

}  // namespace rf
