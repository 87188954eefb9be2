#include "core/world_file.h"

#include "core/load_log.h"
#include "core/world_folder.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf {

WorldFile ReadWorldFile(const std::string& path, std::size_t usable) {
    WorldFile file;
    file.name = WorldRelative(path);
    // A UTF-8 character may take up to three bytes where code page 932 takes two.
    platform::DataFileBytes raw = platform::ReadDataFile(path, usable * 2 + kReadMargin);
    file.problem = raw.problem;
    if (!file.Readable()) return file;
    std::vector<std::size_t> unmappable;
    if (IsUtf8Text(raw.bytes, raw.cut)) {
        file.utf8 = true;
        file.bytes = Utf8ToCp932(raw.bytes, &unmappable);
    } else {
        file.bytes = std::move(raw.bytes);
    }
    if (!Remarking()) return file;
    if (file.utf8) Remark(file, 0, Severity::kNote, "read as UTF-8 and converted to code page 932");
    for (std::size_t at : unmappable)
        Remark(file, at, Severity::kWarning, "this character has no code page 932 form: the game shows \"\xE3\x83\xBB\"");
    if (!file.utf8)
        for (std::size_t at : InvalidCp932(file.bytes)) {
            const auto b = static_cast<unsigned char>(file.bytes[at]);
            const char hex[] = {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15], '\0'};
            Remark(file, at, Severity::kWarning, "byte 0x" + std::string(hex) + " is not code page 932 text");
        }
    if (raw.cut)
        Remark(file, file.bytes.size(), Severity::kWarning,
               "the file is longer than the game reads: everything from here on is ignored");
    return file;
}

std::string WorldRelative(const std::string& path) {
    if (dataRoot.empty() || path.size() <= dataRoot.size() || path.compare(0, dataRoot.size(), dataRoot) != 0)
        return path;
    std::size_t from = dataRoot.size();
    while (from < path.size() && (path[from] == '/' || path[from] == platform::PathSeparator())) ++from;
    return path.substr(from);
}

LoadToken PositionOf(std::string_view bytes, std::size_t offset) {
    LoadToken at{1, 1};
    for (std::size_t i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++at.line;
            at.column = 1;
        } else if (bytes[i] != '\r') {
            ++at.column;
        }
    }
    return at;
}

void Remark(const WorldFile& file, std::size_t offset, Severity severity, std::string message) {
    if (!Remarking()) return;
    const LoadToken at = PositionOf(file.bytes, offset);
    loadLog.remarks.push_back({file.name, at.line, at.column, severity, std::move(message)});
}

}  // namespace rf
