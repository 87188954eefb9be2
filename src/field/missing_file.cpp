#include "field/missing_file.h"

#include <string>

#include "console/console.h"
#include "core/load_log.h"
#include "platform/console.h"
#include "saves/autosave.h"
#include "text/sj_literal.h"

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
    WriteLine("ファイルが存在しないため情報の初期化に失敗しました。"_sj);
    WriteLine("ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。"_sj);
    WriteLine("ファイルが見つからない場合はもう一度ダウンロードしてください。"_sj);
    WriteLine(" 30 秒後に強制終了しますので手動で閉じないでください。"_sj);
    const std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. The game ends at the
    // 30th tick of the seconds clock after the noted second, 29 to 30 s
    // after the notice: one sleep to the 29th, then short ones to the tick.
    for (std::int64_t passed; (passed = platform::ClockSeconds() - noted) < 30;)
        platform::Sleep(passed < 29 ? static_cast<std::uint32_t>(29 - passed) * 1000 : 10);
    platform::Exit(-1);
}

}  // namespace rf
