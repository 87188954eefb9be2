#include "field/missing_file.h"

#include <string>

#include "console/console.h"
#include "core/load_log.h"
#include "platform/console.h"
#include "text/sj_literal.h"

namespace rf {

void StopForMissingFile(const WorldFile& file) {
    Remark(file, 0, Severity::kError, std::string(ProblemText(file.problem)) + ": the game stops here");
    platform::SetFarewell("ranks: " + file.name + ": " + std::string(ProblemText(file.problem)) + "\n");
    StopForMissingFile();
}

void StopForMissingFile() {
    WriteLine("ファイルが存在しないため情報の初期化に失敗しました。"_sj);
    WriteLine("ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。"_sj);
    WriteLine("ファイルが見つからない場合はもう一度ダウンロードしてください。"_sj);
    WriteLine(" 30 秒後に強制終了しますので手動で閉じないでください。"_sj);
    const std::int64_t noted = platform::ClockSeconds();
    // Keys are not read: the stop has no way back. Sleeping keeps the core idle.
    while (platform::ClockSeconds() - noted < 30) platform::Sleep(100);
    platform::Exit(-1);
}

}  // namespace rf
