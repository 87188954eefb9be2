#include "program/command_line.h"

#include <string>

#include "core/save_keeping.h"
#include "core/setting_table.h"
#include "core/texts.h"
#include "core/world_folder.h"
#include "field/field_menu.h"
#include "platform/console_session.h"
#include "platform/streams.h"
#include "program/authors_tools.h"
#include "program/options.h"
#include "program/session.h"
#include "ranks_version.h"
#include "saves/settings_file.h"
#include "text/escape.h"

namespace rf {

int Main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        platform::PrintError("ranks: " + Escaped(error) + " (ranks --help lists the options)\n");
        return 2;
    }
    if (options.help) {
        platform::PrintOut(HelpText());
        return 0;
    }
    if (options.version) {
        platform::PrintOut("ranks " RANKS_VERSION "\n");
        return 0;
    }
    if (options.command == Command::kNew) return RunNewWorld(options);
    if (options.command == Command::kEdit) {
        if (!options.language.empty()) language = static_cast<std::int16_t>(LanguageIndex(options.language));
        return RunPainterTool(options);
    }
    if (options.command != Command::kPlay) return RunAuthorsTool(options);
    if (!options.world.empty()) {
        if (std::string problem = WorldFolderProblem(options.world); !problem.empty()) {
            platform::PrintError("ranks: " + Escaped(problem) + "\n");
            return 2;
        }
    }
    dataRoot = ChooseDataRoot(options.world);
    // The settings file, then what the command line says for this game (a
    // replay plays as its recording says).
    if (options.replayFile.empty()) LoadSettingsFile();
    for (const SettingRow& row : AllSettings())
        if (const int value = GivenValue(options, row.key); value >= 0) row.set(settings, language, value);
    // The original's pauses: every message waits for its key.
    if (settings.classic && options.replayFile.empty()) settings.pace = MessagePace::kWait;
    platform::UseConsoleLook(settings.consoleLook || settings.classic);
    saveKeeping.command = options.program;
    // Said once, before the screen is taken, where it stays readable.
    if (std::string problem; !UseSpeech(problem)) platform::PrintError("ranks: no speech: " + problem + "\n");
    return RunSession(options);
}

}  // namespace rf
