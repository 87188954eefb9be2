// The web page's stand-in for the authors' tools: the page plays only, and
// its download carries none of their code.
#include <string>

#include "platform/streams.h"
#include "program/authors_tools.h"

namespace rf {
namespace {

int Absent(const std::string& tool) {
    platform::PrintError("ranks " + tool + ": the authors' tools run in a terminal, not in the page\n");
    return 2;
}

}  // namespace

int RunNewWorld(const Options&) { return Absent("new"); }
int RunPainterTool(const Options&) { return Absent("edit"); }
int RunAuthorsTool(const Options& options) { return Absent(options.command == Command::kCheck ? "check" : "balance"); }

}  // namespace rf
