#include "core/world_translation.h"

#include "core/catalogue.h"
#include "core/game_state.h"
#include "core/world_file.h"
#include "core/world_folder.h"
#include "platform/files.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf {
namespace {

// The largest translation the game reads.
constexpr std::size_t kMostTranslation = 1 << 20;

void RemarkAt(const WorldFile& file, LoadToken at, Severity severity, Rule rule, std::string message) {
    if (!Remarking()) return;
    loadLog.remarks.push_back(
        {file.name, at.line, at.column, at.byteColumn, severity, std::move(message), rule, at.charColumn});
}

// The offset of the first byte that is not UTF-8, or npos.
std::size_t FirstNotUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t n = DecodeUtf8(bytes, i, codePoint);
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

// What the file's bytes are, when they are not UTF-8.
std::string EncodingOf(std::string_view raw) {
    if (LooksUtf16(raw)) return "UTF-16";
    if (InvalidCp932(raw).empty()) return "code page 932 (Shift_JIS)";
    if (LooksLatin1(raw)) return "Latin-1 (ISO 8859-1)";
    return "in no encoding the game knows";
}

// An entry as it is read: its fields, where they stand, and the line breaks
// and tabs of its translation, said once it is known to be no header.
struct Entry {
    TranslatedText text;
    bool fuzzy = false, hasId = false, hasText = false;
    std::vector<std::pair<std::size_t, char>> controls;
};

struct Reader {
    const WorldFile& file;
    std::vector<TranslatedText>& out;
    std::vector<TranslatedText> seen{};  // every entry, translated or not, for repeats
    Entry entry{};
    std::string* field = nullptr;

    void Finish();
    bool Line(std::size_t at, std::string_view line);
    bool Quoted(std::size_t at, std::string_view text);
    bool Refuse(std::size_t at, const std::string& why) {
        Remark(file, at, Severity::kError, Rule::kTranslationUnreadable,
               why + ": the game draws the world's own texts in this language");
        return false;
    }
};

std::string Escape(char c) { return c == '\n' ? "\\n" : c == '\t' ? "\\t" : c == '\r' ? "\\r" : "a control character"; }

void Reader::Finish() {
    Entry done = std::move(entry);
    entry = {};
    field = nullptr;
    if (!done.hasId || done.text.original.empty()) return;  // the header, or nothing
    const TranslatedText& t = done.text;
    for (const TranslatedText& before : seen)
        if (before.context == t.context && before.original == t.original) {
            RemarkAt(file, t.at, Severity::kError, Rule::kTranslationDuplicate,
                     "a second entry for " + Cp932ToUtf8(t.original) + ", as at line " +
                         std::to_string(before.at.line) +
                         ": gettext's msgfmt refuses the file, the game draws the first; remove one of them");
            return;
        }
    seen.push_back(t);
    const bool sign = t.context.starts_with("map_form/");
    for (const auto& [at, c] : done.controls)
        Remark(file, at, Severity::kError, Rule::kTranslationControl,
               Escape(c) + " in the translation of " + Cp932ToUtf8(t.original) + ": the game draws a blank for it, " +
                   (sign ? "for a sign's line is one row of its map; write each line of the sign in an entry of its own"
                         : "for a name is drawn on one line; write it on one line"));
    if (done.fuzzy || t.translated.empty()) return;
    out.push_back(std::move(done.text));
}

// The text of a quoted PO string at `at`, its escapes undone, appended to the field.
bool Reader::Quoted(std::size_t at, std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return Refuse(at, "not a quoted text: a PO string stands between double quotes, on one line");
    const bool translation = field == &entry.text.translated;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const std::size_t start = i;
        char c = text[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 2 < text.size()) {
            field->append(text.substr(i, 2));
            ++i;
            continue;
        }
        if (c == '"') return Refuse(at + i, "a double quote inside a text: write it \\\"");
        if (c == '\\') {
            if (i + 2 == text.size()) return Refuse(at + i, "a backslash at the end of a text: write it \\\\");
            switch (text[++i]) {
                case 'n': c = '\n'; break;
                case 't': c = '\t'; break;
                case 'r': c = '\r'; break;
                case '"':
                case '\\': c = text[i]; break;
                default: return Refuse(at + i - 1, "an escape that PO files do not have: write a backslash as \\\\");
            }
        }
        // Drawn on one row: a line break or a tab would break the field around it.
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            if (translation) entry.controls.push_back({at + start, c});
            c = ' ';
        }
        field->push_back(c);
    }
    return true;
}

bool Reader::Line(std::size_t at, std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        Finish();
        return true;
    }
    // A keyword or a comment after a translation begins the next entry, as gettext reads it.
    const bool begins = line.starts_with("#") || line.starts_with("msgctxt") || line.starts_with("msgid ");
    if (begins && entry.hasText) {
        Remark(file, at, Severity::kNote, Rule::kTranslationGlued,
               "no blank line before this entry: read as an entry of its own, as gettext reads it");
        Finish();
    }
    if (line.starts_with("#")) {
        if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) entry.fuzzy = true;
        return true;
    }
    const std::size_t space = line.find(' ');
    const std::string_view keyword = line.substr(0, space);
    std::size_t from = 0;
    if (keyword == "msgctxt") field = &entry.text.context;
    else if (keyword == "msgid") field = &entry.text.original, entry.hasId = true, entry.text.at = PositionIn(file, at);
    else if (keyword == "msgstr" || keyword == "msgstr[0]") {
        field = &entry.text.translated, entry.hasText = true;
        entry.text.textAt = PositionIn(file, at + space + 2);
    } else if (keyword == "msgid_plural" || keyword.starts_with("msgstr[")) field = nullptr;
    else if (!line.starts_with("\"") || field == nullptr) {
        if (line.starts_with("\"") && entry.hasId) return true;  // the other forms of a plural
        return Refuse(at,
                      "not a line of a PO file (a comment, msgctxt, msgid or msgstr with its text, or a text "
                      "that goes on)");
    }
    if (!line.starts_with("\"")) {
        if (space == std::string_view::npos) return Refuse(at, "a keyword without its text");
        from = space + 1;
    }
    if (field == nullptr) return true;
    return Quoted(at + from, line.substr(from));
}

}  // namespace

std::string TranslationFile(std::string_view code) {
    return std::string(kTranslationsFolder) + "/" + std::string(code) + ".po";
}

TranslationRead ReadTranslation(const std::string& name, std::vector<TranslatedText>& out) {
    out.clear();
    const platform::DataFileBytes raw = platform::ReadDataFile(DataPath(name), kMostTranslation);
    WorldFile file;
    file.name = name;
    file.problem = raw.problem;
    if (raw.problem == platform::FileProblem::kMissing) return TranslationRead::kMissing;
    if (!file.Readable() || raw.cut) {
        Remark(file, 0, Severity::kError, Rule::kTranslationUnreadable,
               (raw.cut ? std::string("larger than 1 MiB") : "cannot be read (" + ProblemSaid(file) + ")") +
                   ": the game draws the world's own texts in this language");
        return TranslationRead::kUnreadable;
    }
    if (const std::size_t bad = FirstNotUtf8(raw.bytes); bad != std::string_view::npos) {
        file.bytes = raw.bytes;
        Remark(file, bad, Severity::kError, Rule::kTranslationEncoding,
               "the file is not UTF-8 but " + EncodingOf(raw.bytes) +
                   ": the game draws the world's own texts in this language; save it as UTF-8, as its header says "
                   "(charset=UTF-8)");
        return TranslationRead::kUnreadable;
    }
    std::vector<std::size_t> unmappable;
    file.bytes = Utf8ToCp932(raw.bytes, &unmappable);  // a byte-order mark dropped
    file.utf8 = true;
    if (raw.bytes.starts_with("\xEF\xBB\xBF"))
        Remark(file, 0, Severity::kWarning, Rule::kByteOrderMark,
               "the file begins with a byte-order mark (U+FEFF), which gettext's msgfmt refuses: the game skips it; "
               "save the file as UTF-8 without a byte-order mark");
    RemarkUnmappable(file, raw.bytes, unmappable);
    Reader reader{file, out};
    const std::string& bytes = file.bytes;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        if (!reader.Line(at, std::string_view(bytes).substr(at, end - at))) {
            out.clear();
            return TranslationRead::kUnreadable;
        }
        at = end + 1;
    }
    reader.Finish();
    return TranslationRead::kRead;
}

void LoadWorldTranslation() {
    worldTranslation = {};
    if (language <= 0 || language >= kLanguageCount) return;
    ReadTranslation(TranslationFile(kLanguageCodes[language]), worldTranslation.texts);
}

std::string_view WorldText(std::string_view original) {
    if (const std::size_t end = original.find('\0'); end != std::string_view::npos) original = original.substr(0, end);
    for (const TranslatedText& t : worldTranslation.texts)
        if (t.original == original && !t.context.starts_with("map_form/")) return t.translated;
    return original;
}

}  // namespace rf
