#include "core/world_file.h"

#include "core/load_log.h"
#include "core/world_folder.h"
#include "text/cp932.h"
#include "text/utf8.h"

#include <algorithm>

namespace rf {

namespace {

std::vector<HeldFile> held;

std::string Hex(std::uint32_t value, int digits) {
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 15];
    return out;
}

}  // namespace

// UTF-16: a byte-order mark, or a NUL in every other byte.
bool LooksUtf16(std::string_view raw) {
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) return true;
    std::size_t nuls = 0;
    for (char c : raw) nuls += c == '\0';
    return raw.size() >= 4 && nuls * 4 >= raw.size();
}

// Latin-1 (ISO 8859-1): lone bytes of
// accented letters (0xC0 and up) within words, never two in a row as code
// page 932's own characters mostly come.
bool LooksLatin1(std::string_view raw) {
    bool inWord = false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x80) continue;
        if (b < 0xC0 || (i + 1 < raw.size() && static_cast<unsigned char>(raw[i + 1]) >= 0x80)) return false;
        inWord = inWord || (i > 0 && letter(raw[i - 1]));
    }
    return inWord;
}

namespace {

// Characters that code page 932 lacks but whose look-alike it has (what
// other systems' input methods type for them).
struct LookAlike {
    std::uint32_t typed, meant;
};
constexpr LookAlike kLookAlikes[] = {{0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D},
                                     {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}};

}  // namespace

void RemarkUnmappable(const WorldFile& file, std::string_view utf8, const std::vector<std::size_t>& at) {
    std::vector<std::pair<std::uint32_t, std::size_t>> seen;  // code point, count
    std::vector<std::size_t> first;
    std::size_t k = 0;
    for (std::size_t i = 0; i < utf8.size() && k < at.size();) {
        std::uint32_t cp = 0;
        std::size_t n = DecodeUtf8(utf8, i, cp);
        if (n == 0) n = 1, cp = 0xFFFD;
        else if ((cp == 0xFEFF && i == 0) || Cp932CodeOf(cp) >= 0) {
            i += n;
            continue;
        }
        i += n;
        auto it = std::find_if(seen.begin(), seen.end(), [cp](const auto& e) { return e.first == cp; });
        if (it != seen.end()) ++it->second;
        else seen.push_back({cp, 1}), first.push_back(at[k]);
        ++k;
    }
    for (std::size_t j = 0; j < seen.size(); ++j) {
        const auto [cp, count] = seen[j];
        std::string what = "this character (U+" + Hex(cp, cp > 0xFFFF ? 5 : 4) + ")";
        std::string fix;
        for (const LookAlike& l : kLookAlikes)
            if (l.typed == cp && Cp932CodeOf(l.meant) >= 0) {
                AppendUtf8(fix, l.meant);
                fix = "; write " + fix + " (U+" + Hex(l.meant, 4) + "), its code page 932 look-alike";
            }
        Remark(file, first[j], Severity::kWarning, Rule::kNoCp932Form,
               what + " has no code page 932 form: the game shows \"\xE3\x83\xBB\"" + fix +
                   (count > 1 ? " (" + std::to_string(count) + " times in this file)" : ""));
    }
}

WorldFile ReadWorldFile(const std::string& path, std::size_t usable) {
    WorldFile file;
    file.name = WorldRelative(path);
    // A UTF-8 character may take up to three bytes where code page 932 takes two.
    const std::size_t limit = usable * 2 + kReadMargin;
    std::string name = file.name;
    std::replace(name.begin(), name.end(), platform::PathSeparator(), '/');
    const auto kept = std::find_if(held.begin(), held.end(), [&](const HeldFile& h) { return h.name == name; });
    platform::DataFileBytes raw =
        kept == held.end() ? platform::ReadDataFile(path, limit)
                           : platform::DataFileBytes{platform::FileProblem::kNone, kept->bytes.substr(0, limit),
                                                     kept->bytes.size() > limit};
    file.problem = raw.problem;
    if (!file.Readable()) return file;
    std::vector<std::size_t> unmappable;
    if (IsUtf8Text(raw.bytes, raw.cut)) {
        file.utf8 = true;
        file.bytes = Utf8ToCp932(raw.bytes, &unmappable);
    } else {
        file.bytes = raw.bytes;
    }
    if (!Remarking()) return file;
    if (!file.utf8 && LooksUtf16(raw.bytes)) {
        Remark(file, 0, Severity::kError, Rule::kUtf16,
               "the file is UTF-16: the game reads its bytes as code page 932 and finds none of its text; save it as "
               "UTF-8 or code page 932 (Shift_JIS)");
        loadLog.unreadableText.push_back(file.name);
        return file;
    }
    if (file.utf8) Remark(file, 0, Severity::kNote, Rule::kReadAsUtf8, "read as UTF-8 and converted to code page 932");
    RemarkUnmappable(file, raw.bytes, unmappable);
    if (!file.utf8 && LooksLatin1(raw.bytes)) {
        const std::size_t at = std::find_if(file.bytes.begin(), file.bytes.end(),
                                            [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                               file.bytes.begin();
        Remark(file, at, Severity::kWarning, Rule::kLatin1,
               "the file seems to be Latin-1 (ISO 8859-1): the game reads it as code page 932 and shows \"" +
                   Cp932ToUtf8(file.bytes.substr(at - std::min<std::size_t>(at, 2), 5)) + "\" here; save it as UTF-8");
    } else if (!file.utf8) {
        for (std::size_t at : InvalidCp932(file.bytes)) {
            const auto b = static_cast<unsigned char>(file.bytes[at]);
            Remark(file, at, Severity::kWarning, Rule::kStrayByte,
                   "byte 0x" + Hex(b, 2) + " is not code page 932 text");
        }
    }
    if (raw.cut)
        Remark(file, file.bytes.size(), Severity::kWarning, Rule::kTooLong,
               "the file is longer than the game reads: everything from here on is ignored");
    return file;
}

void HoldWorldFiles(std::vector<HeldFile> files) { held = std::move(files); }

std::string ProblemSaid(const WorldFile& file) {
    std::string said(platform::ProblemText(file.problem));
    if (file.problem != platform::FileProblem::kMissing) return said;
    // A name that differs only in case is found on some systems and not on others.
    auto lower = [](std::string text) {
        for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    };
    std::string folder = dataRoot, shown;
    for (std::size_t from = 0; from <= file.name.size();) {
        std::size_t slash = file.name.find('/', from);
        if (slash == std::string::npos) slash = file.name.size();
        const std::string part = file.name.substr(from, slash - from);
        const std::string path = folder.empty() ? part : folder + platform::PathSeparator() + part;
        const std::vector<std::string> names = platform::DirectoryNames(folder);
        if (std::find(names.begin(), names.end(), part) == names.end()) {
            for (const std::string& name : names)
                if (lower(name) == lower(part))
                    return said + " (there is " + shown + name + ": names are case-sensitive, did you mean " + part +
                           "?)";
            return said;
        }
        folder = path;
        shown += part + "/";
        from = slash + 1;
    }
    return said;
}

std::string WorldRelative(const std::string& path) {
    if (dataRoot.empty() || path.size() <= dataRoot.size() || path.compare(0, dataRoot.size(), dataRoot) != 0)
        return path;
    std::size_t from = dataRoot.size();
    while (from < path.size() && (path[from] == '/' || path[from] == platform::PathSeparator())) ++from;
    return path.substr(from);
}

LoadToken PositionIn(const WorldFile& file, std::size_t offset) {
    LoadToken at{1, 1, 1, 1};
    std::size_t lineStart = 0;
    const std::string& bytes = file.bytes;
    const std::size_t end = std::min(offset, bytes.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (bytes[i] == '\n') {
            at.line++, at.column = 1, at.charColumn = 1;
            lineStart = i + 1;
        } else if (bytes[i] != '\r') {
            ++at.column;
            // A lead byte and its second byte are one character of two cells.
            const bool pair = IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < end && bytes[i + 1] != '\n';
            if (pair) ++at.column, ++i;
            ++at.charColumn;
        }
    }
    const std::string_view before = std::string_view(bytes).substr(lineStart, end - lineStart);
    at.byteColumn = 1 + static_cast<int>(file.utf8 ? Cp932ToUtf8(before).size() : before.size());
    return at;
}

void Remark(const WorldFile& file, std::size_t offset, Severity severity, Rule rule, std::string message) {
    if (!Remarking()) return;
    const LoadToken at = PositionIn(file, offset);
    loadLog.remarks.push_back(
        {file.name, at.line, at.column, at.byteColumn, severity, std::move(message), rule, at.charColumn});
}

}  // namespace rf
