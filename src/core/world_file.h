// A data file of the world as every loader takes it: read through the
// platform with a bound on its size, never blocking, and converted from
// UTF-8 when the author wrote it so. Remarks for the world checker are
// kept here too (only when the load log is enabled).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_state.h"
#include "core/load_log.h"
#include "platform/files.h"

namespace rf {

// What the loaders read beyond the bytes a format can use.
inline constexpr std::size_t kReadMargin = 64 * 1024;

struct WorldFile {
    std::string name;  // the path under the world folder
    platform::FileProblem problem = platform::FileProblem::kNone;
    std::string bytes;  // code page 932
    bool utf8 = false;
    bool Readable() const { return problem == platform::FileProblem::kNone; }
};

// Reads the file at `path` (under dataRoot), at most `usable` plus the margin.
WorldFile ReadWorldFile(const std::string& path, std::size_t usable);

// Files that stand for those of the same name under the world folder ('/'
// between folders) while held: the painter's unsaved edits, read by the
// loaders as a save would write them. Held until the next call.
struct HeldFile {
    std::string name, bytes;
};
void HoldWorldFiles(std::vector<HeldFile> files);

// ProblemText, and for a missing file the name that differs only in case, if any.
std::string ProblemSaid(const WorldFile& file);

// `path` without the world folder in front.
std::string WorldRelative(const std::string& path);

// Line, cell, byte and character column (all from 1) of a byte offset of the file's text.
LoadToken PositionIn(const WorldFile& file, std::size_t offset);

// UTF-16 as some editors save it; Latin-1 as old Western editors save it.
bool LooksUtf16(std::string_view raw);
bool LooksLatin1(std::string_view raw);

// One warning per character that code page 932 lacks, at its first place
// (`at`: where each landed in the file's converted bytes), with how often it
// comes and its look-alike, if code page 932 has one.
void RemarkUnmappable(const WorldFile& file, std::string_view utf8, const std::vector<std::size_t>& at);

// Adds a remark at a byte offset of the file, when the load log is on.
void Remark(const WorldFile& file, std::size_t offset, Severity severity, Rule rule, std::string message);
inline bool Remarking() { return loadLog.enabled; }

}  // namespace rf
