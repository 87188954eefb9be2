// What the loaders noticed about the world's files, for the world checker.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rf {

// What the loaders noticed about the files, kept only when `enabled` (for
// the world checker): each remark at a line and column of a file named by
// its path under the world folder.
enum class Severity { kError, kWarning, kNote };

// Each kind of finding, with the code that editors, CI annotations and
// scripts key on. The codes are kept as they are once published.
enum class Rule {
    kUnreadable,
    kUtf16,
    kReadAsUtf8,
    kNoCp932Form,
    kLatin1,
    kStrayByte,
    kTooLong,
    kNumberExpected,
    kFileEnds,
    kNumberWraps,
    kTextCut,
    kRowLength,
    kTooFewLines,
    kTooManyLines,
    kTab,
    kControlCharacter,
    kFullWidthSpace,
    kEnemyCount,
    kExtraText,
    kEmptyEntry,
    kEnemyKind,
    kGroupSize,
    kCellOffMap,
    kOnWall,
    kStartMap,
    kMaxHp,
    kNoDamage,
    kNegative,
    kLevelUpAtOnce,
    kLevelBelowOne,
    kSymbol,
    kAbilityIndex,
    kPower,
    kAccuracy,
    kGap,
    kOuterGap,
    kMarkMap,
    kMarkOffField,
    kMarksShareMap,
    kStripMap,
    kStripColumn,
    kStripOnTopRow,
    kStrip,
    kUnreachableMap,
    kUnreachableEnemy,
    kTranslationUnreadable,
    kTranslationMissing,
    kTranslationExtra,
    kTranslationTooLong,
    kTranslationEncoding,
    kByteOrderMark,
    kTranslationControl,
    kTranslationDuplicate,
    kTranslationGlued,
    kTranslationFileName,
    kTranslationFolder,
    kEndlessBattle,
    kWorldFile,
    kMeantLevels,
};
struct RuleInfo {
    Rule rule;
    std::string_view code;
    std::string_view summary;
};
inline constexpr RuleInfo kRules[] = {
    {Rule::kUnreadable, "unreadable-file", "a file the game cannot read (missing, a folder, not allowed)"},
    {Rule::kUtf16, "utf-16", "a UTF-16 file, which the game cannot read"},
    {Rule::kReadAsUtf8, "read-as-utf-8", "a file taken as UTF-8 and converted"},
    {Rule::kNoCp932Form, "no-cp932-form", "a character that code page 932 lacks"},
    {Rule::kLatin1, "latin-1", "a file that seems to be Latin-1"},
    {Rule::kStrayByte, "stray-byte", "a byte that is no code page 932 text"},
    {Rule::kTooLong, "file-too-long", "a file longer than the game reads"},
    {Rule::kNumberExpected, "number-expected", "a word where a number belongs: reading stops"},
    {Rule::kFileEnds, "file-ends-early", "a file that ends before its last field"},
    {Rule::kNumberWraps, "number-wraps", "a number that does not fit its field"},
    {Rule::kTextCut, "text-cut", "a name or symbol longer than its field"},
    {Rule::kRowLength, "row-length", "a picture line of the wrong length, which shifts the rows after it"},
    {Rule::kTooFewLines, "too-few-lines", "a picture with fewer lines than it has rows"},
    {Rule::kTooManyLines, "too-many-lines", "a picture with lines the game does not read"},
    {Rule::kTab, "tab", "a tab in a picture: one wall cell"},
    {Rule::kControlCharacter, "control-character", "a control character in a picture"},
    {Rule::kFullWidthSpace, "full-width-space", "a full-width space in a map: a wall that looks free"},
    {Rule::kEnemyCount, "enemy-count", "an enemy count outside 0 to 5"},
    {Rule::kExtraText, "extra-text", "numbers or text after what the game reads"},
    {Rule::kEmptyEntry, "empty-entry", "an enemy at (0, 0), which counts as nobody"},
    {Rule::kEnemyKind, "enemy-kind", "an enemy kind outside 1 to 4"},
    {Rule::kGroupSize, "group-size", "a group size outside 1 to 7"},
    {Rule::kCellOffMap, "cell-off-map", "an enemy or start cell outside the map"},
    {Rule::kOnWall, "on-wall", "an enemy or the hero standing on a wall"},
    {Rule::kStartMap, "start-map", "a start map outside 1 to 9"},
    {Rule::kMaxHp, "max-hp", "a max HP of 0 or less"},
    {Rule::kNoDamage, "no-damage", "values that make every blow do 0 damage"},
    {Rule::kNegative, "negative-stat", "a negative stat"},
    {Rule::kLevelUpAtOnce, "level-up-at-once", "a level and experience that the first win changes at once"},
    {Rule::kLevelBelowOne, "level-below-1", "a level below 1"},
    {Rule::kSymbol, "symbol", "an enemy symbol that is not the legend's"},
    {Rule::kAbilityIndex, "ability-index", "an enemy ability outside 0 to 4"},
    {Rule::kPower, "power", "an ability power below 1"},
    {Rule::kAccuracy, "accuracy", "an ability accuracy outside 1 to 10 (a percent?)"},
    {Rule::kGap, "gap", "a gap in a map's edge that meets the neighbour's wall"},
    {Rule::kOuterGap, "outer-gap", "a gap in the world's outer edge, where no map lies beyond"},
    {Rule::kMarkMap, "mark-map", "a Queen's or King's map outside 1 to 9"},
    {Rule::kMarkOffField, "mark-off-field", "a Queen's or King's mark outside the field"},
    {Rule::kMarksShareMap, "marks-share-map", "the Queen and the King on one map: only the Queen is drawn"},
    {Rule::kStripMap, "strip-map", "a strip's map outside 1 to 9"},
    {Rule::kStripColumn, "strip-column", "a strip that lies partly or wholly off its map, or frees no wall"},
    {Rule::kStripOnTopRow, "strip-top-row", "a strip on a top-row map, which opens onto the world's edge"},
    {Rule::kStrip, "strip", "what the strip opens, and when"},
    {Rule::kUnreachableMap, "unreachable-map", "a map the hero can never reach"},
    {Rule::kUnreachableEnemy, "unreachable-enemy", "an enemy that can never reach the hero"},
    {Rule::kTranslationUnreadable, "translation-unreadable", "a translation file the game cannot read"},
    {Rule::kTranslationMissing, "translation-missing", "a text of the world with no translation"},
    {Rule::kTranslationExtra, "translation-extra", "a translation of a text the world does not have"},
    {Rule::kTranslationTooLong, "translation-too-long", "a translation longer than its place"},
    {Rule::kTranslationEncoding, "translation-encoding", "a translation file that is not UTF-8"},
    {Rule::kByteOrderMark, "byte-order-mark", "a translation file that begins with a byte-order mark"},
    {Rule::kTranslationControl, "translation-control-character",
     "a line break, tab or control character in a translation"},
    {Rule::kTranslationDuplicate, "translation-duplicate", "a second entry for the same text"},
    {Rule::kTranslationGlued, "translation-glued", "an entry with no blank line before it"},
    {Rule::kTranslationFileName, "translation-file-name", "a translation file named after no language of the game"},
    {Rule::kTranslationFolder, "translation-folder", "translation files in a folder the game does not read"},
    {Rule::kEndlessBattle, "endless-battle", "level-1 battles that can be neither won nor lost"},
    {Rule::kWorldFile, "world-file", "the world file: its name, author, version, licence and description"},
    {Rule::kMeantLevels, "levels", "the world file's levels: one for each map, each a level of the game"},
};
constexpr std::string_view RuleCode(Rule rule) {
    for (const RuleInfo& r : kRules)
        if (r.rule == rule) return r.code;
    return "";
}

// Columns count from 1: `column` screen cells as the game shows the text
// (a full-width character is two), `charColumn` characters, `byteColumn`
// the bytes of the file as stored (a UTF-8 file's own bytes).
struct LoadRemark {
    std::string file;
    int line = 0;
    int column = 0;
    int byteColumn = 0;
    Severity severity = Severity::kError;
    std::string message;
    Rule rule = Rule::kUnreadable;
    int charColumn = 0;
};
struct LoadToken {
    int line = 0;
    int column = 0;
    int byteColumn = 0;
    int charColumn = 0;
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
