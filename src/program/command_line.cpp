#include "program/command_line.h"

#include <string>

#include "authoring/balance.h"
#include "authoring/new_world.h"
#include "authoring/world_check.h"
#include "core/save_keeping.h"
#include "core/texts.h"
#include "core/world_folder.h"
#include "platform/console_session.h"
#include "platform/streams.h"
#include "program/options.h"
#include "program/session.h"
#include "saves/settings_file.h"
#include "text/escape.h"

#ifndef RANKS_VERSION
#define RANKS_VERSION "0.0.0"
#endif

namespace rf {
namespace {

// `ranks check` and `ranks balance`, the tools for world authors: on the
// folder given, else on the world the game would play.
int RunAuthorsTool(const Options& options) {
    const std::string tool = options.command == Command::kCheck ? "check" : "balance";
    std::string found;
    const std::string dir = options.world.empty() ? FindWorldFromHere(found) : options.world;
    if (std::string problem = WorldFolderProblem(dir.empty() ? "." : dir); !problem.empty()) {
        platform::PrintError("ranks " + tool + ": " + Escaped(problem) + "\n");
        return 2;
    }
    const authoring::ReportFormat format = options.format == "json"    ? authoring::ReportFormat::kJson
                                           : options.format == "csv"   ? authoring::ReportFormat::kCsv
                                           : options.format == "sarif" ? authoring::ReportFormat::kSarif
                                                                       : authoring::ReportFormat::kText;
    if (options.command == Command::kBalance)
        return authoring::RunBalance({dir, options.battles, options.levels, format});
    const authoring::CheckResult result = authoring::CheckWorld(dir);
    if (options.show > 0) platform::PrintOut(authoring::ShowMap(options.show) + "\n");
    platform::PrintOut(authoring::FormatCheck(result, dir, format, options.notes, found));
    return result.errors > 0 ? 1 : 0;
}

}  // namespace

int Main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        platform::PrintError("ranks: " + Escaped(error) + "\n" + UsageText());
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
    if (options.command == Command::kNew) {
        std::string problem;
        if (!authoring::WriteNewWorld(options.world, problem)) {
            platform::PrintError("ranks new: " + Escaped(problem) + "\n");
            return 2;
        }
        platform::PrintOut("ranks new: a world of nine maps is in " + Escaped(options.world) +
                           ". Play it with: ranks --world " + Escaped(options.world) +
                           "\nEdit its files (a sign where the hero starts says where to begin), then: ranks check " +
                           Escaped(options.world) + "\n");
        return 0;
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
    if (!options.look.empty()) settings.consoleLook = options.look == "console";
    if (auto pace = PaceFromName(options.messages)) settings.pace = *pace;
    platform::UseConsoleLook(settings.consoleLook);
    saveKeeping.command = options.program;
    if (!options.language.empty()) language = static_cast<std::int16_t>(LanguageIndex(options.language));
    return RunSession(options);
}

}  // namespace rf
