// What the loaders noticed about the world's files, for the world checker.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace rf {

// What the loaders noticed about the files, kept only when `enabled` (for
// the world checker): each remark at a line and column of a file named by
// its path under the world folder. Columns count cells, as the game shows
// the text (a full-width character is two); byte columns count the bytes
// of the file as stored (a UTF-8 file's own bytes), for editors that do.
enum class Severity { kError, kWarning, kNote };
struct LoadRemark {
    std::string file;
    int line = 0;
    int column = 0;
    int byteColumn = 0;
    Severity severity = Severity::kError;
    std::string message;
};
struct LoadToken {
    int line = 0;
    int column = 0;
    int byteColumn = 0;
};
struct LoadLog {
    bool enabled = false;
    std::vector<LoadRemark> remarks;
    // Where each token of each token file stood, by file name.
    std::vector<std::pair<std::string, std::vector<LoadToken>>> tokens;
    // Files whose reading stopped early: what follows is no finding of its own.
    std::vector<std::string> stopped;
    // Files read in an encoding the game cannot read at all: their first remark says all.
    std::vector<std::string> unreadableText;
};
extern LoadLog loadLog;

}  // namespace rf
