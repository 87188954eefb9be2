#include "program/authors_tools.h"

#include <string>

#include "authoring/balance.h"
#include "authoring/new_world.h"
#include "authoring/translation_check.h"
#include "authoring/world_check.h"
#include "core/world_folder.h"
#include "painter/painter.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/streams.h"
#include "ranks_version.h"
#include "text/escape.h"

namespace rf {

int RunNewWorld(const Options& options) {
    std::string problem;
    if (!authoring::WriteNewWorld(options.world, problem)) {
        platform::PrintError("ranks new: " + Escaped(problem) + "\n");
        return 2;
    }
    platform::PrintOut("ranks new: a world of nine maps is in " + Escaped(options.world) +
                       " (its name in world.txt, a template for translators in translations/world.pot)" +
                       ". Play it with: ranks --world " + Escaped(options.world) +
                       "\nEdit its files (a sign where the hero starts says where to begin), then: ranks check " +
                       Escaped(options.world) + "\n");
    return 0;
}

int RunPainterTool(const Options& options) {
    std::string found;
    const std::string dir = options.world.empty() ? FindWorldFromHere(found) : options.world;
    // The world installed with the game is played, not painted.
    if (dir.empty() || (options.world.empty() && dir == InstalledWorld())) {
        platform::PrintError("ranks edit: no world in the working directory or above it: ranks edit DIR\n");
        return 2;
    }
    const bool empty = platform::DirectoryNames(dir).empty();
    if (std::string problem = WorldFolderProblem(dir); !empty && !problem.empty()) {
        platform::PrintError("ranks edit: " + Escaped(problem) + "\n");
        return 2;
    }
    platform::Open();
    if (empty) {
        if (!painter::AskToMakeWorld()) platform::Exit(0);
        if (std::string problem; !authoring::WriteNewWorld(dir, problem)) {
            platform::SetFarewell("ranks edit: " + Escaped(problem) + "\n");
            platform::Exit(2);
        }
    }
    platform::Exit(painter::RunPainter({dir, options.program, options.language, authoring::CheckWorld, nullptr}));
}

// `ranks check` and `ranks balance`, the tools for world authors: on the
// folder given, else on the world the game would play.
int RunAuthorsTool(const Options& options) {
    const std::string tool = options.command == Command::kCheck ? "check" : "balance";
    std::string found;
    const std::string dir = options.world.empty() ? FindWorldFromHere(found) : options.world;
    const authoring::ReportFormat format = options.format == "json"    ? authoring::ReportFormat::kJson
                                           : options.format == "csv"   ? authoring::ReportFormat::kCsv
                                           : options.format == "sarif" ? authoring::ReportFormat::kSarif
                                                                       : authoring::ReportFormat::kText;
    if (std::string problem = WorldFolderProblem(dir.empty() ? "." : dir); !problem.empty()) {
        platform::PrintError("ranks " + tool + ": " + Escaped(problem) + "\n");
        // A script reading JSON or SARIF gets one document all the same.
        if (options.command == Command::kCheck)
            platform::PrintOut(authoring::FormatNoWorld(problem, dir, format, RANKS_VERSION));
        return 2;
    }
    if (options.command == Command::kBalance)
        return authoring::RunBalance({dir, options.battles, options.levels, format});
    const authoring::CheckResult result = authoring::CheckWorld(dir);
    if (options.pot) {
        platform::PrintOut(authoring::TranslationTemplate());
        return 0;
    }
    if (options.show > 0) platform::PrintOut(authoring::ShowMap(options.show) + "\n");
    platform::PrintOut(authoring::FormatCheck(result, dir, format, options.notes, found, RANKS_VERSION));
    return result.errors > 0 ? 1 : 0;
}

}  // namespace rf
