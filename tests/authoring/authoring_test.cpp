// The world author's tools: the checker on the default world and on one
// hostile change of it per kind of report, each found at its exact line and
// column; and the balance report, real battles on the default world, the
// same on every run, per map and per group, and what it says of worlds that
// play wrong.
#include "authoring/balance.h"
#include "authoring/report.h"
#include "authoring/world_check.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <span>

#include "core/data_files.h"
#include "core/fixed_text.h"
#include "core/world_about.h"
#include "core/world_manifest.h"
#include "core/world_translation.h"
#include "field/map_files.h"
#include "platform/files.h"
#include "program/command_line.h"
#include "test_support.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf {
namespace {

class WorldCheckTest : public test::GameTest {
protected:
    std::string root() const { return dir.Path().string(); }
    test::TempDir dir{RANKS_WORLD_DIR};
};

const std::string kBlank(59, ' ');  // a map row of open ground

std::string Rows(int count, const std::string& row) {
    std::string text;
    for (int i = 0; i < count; ++i) text += row + "\n";
    return text;
}

// One hostile change of the default world and what the checker says of it.
struct Finding {
    const char* file;     // written (but "<po>") and where the finding stands
    std::string content;  // "<dir>" a folder, "<none>" no file, "<po>" the default en.po with `from` made `to`
    const char* said;     // a line of the report (from `file` on when it begins with the line); with a `line`,
                          // the rule of the one finding at `line` and character `column` ("" none)
    int line = 0, column = 0;
    const char* absent = nullptr;  // never said, nor the start of a rule found (a cascade of the same cause)
    const char* from = nullptr;
    const char* to = nullptr;
    const char* heroDrawn = nullptr;     // the hero's name as English then draws it
    const char* other = nullptr;         // another file written as well
    const char* otherContent = nullptr;  // "<none>" takes it away
};

const char* const kHero = "Hero\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n";
const char* const kMarks = "7 21 8\n9 29 13\n9 31 1\n";

const Finding kFindings[] = {
    {"map_form/map1/6.txt", "<none>", "1:1: error: missing: the game stops here"},
    {"Abilities/Flame.txt", "<dir>", "1:1: error: a directory: this ability's record and those after"},
    {"Enemy_Info/Rook_Status_Info.txt", "", "1:1: error: the file ends before the name"},
    {"Enemy_Info/Pawn_Status_Info.txt", "Pawn 1 \x81 0 1 14 6 4 3 3 5 0", "1:8: warning: byte 0x81"},
    {"Abilities/SwordCut.txt", "剣\xF0\x9F\x98\x80 0 2 3", "1:3: warning: this character (U+1F600) has no code page"},
    {"Hero_Info/Hero_Status_Info.txt", std::string("アレン〜〜") + (kHero + 4),
     "1:7: warning: this character (U+301C) has no code page 932 form: the game shows \"・\"; write ～ (U+FF5E), its "
     "code page 932 look-alike (2 times in this file)"},
    {"map_form/map1/3.txt", Rows(5, kBlank) + "Ch\xE2teau" + std::string(52, ' ') + "\n" + Rows(14, kBlank),
     "6:3: warning: the file seems to be Latin-1 (ISO 8859-1): the game reads it as code page 932 and shows \"Ch穰e\" "
     "here; save it as UTF-8"},
    {"Enemy_Info/Rook_Status_Info.txt", std::string("\xFF\xFER\0o\0o\0k\0 \0\x34\0", 14),
     "1:1: error: the file is UTF-16: the game reads its bytes as code page 932 and finds none of its text; save it as "
     "UTF-8 or code page 932 (Shift_JIS)",
     0, 0, "Rook_Status_Info.txt:1:2"},
    {.file = "map_info/Map1.txt",
     .content = std::string(kMarks) + "1\n",
     .said = "map_info/map1.txt:1:1: error: missing (there is map_info/Map1.txt: names are case-sensitive, did you "
             "mean map1.txt?): the game stops here",
     .other = "map_info/map1.txt",
     .otherContent = "<none>"},
    {"map_info/map1/6.txt", "<none>", "1:1: error: missing: the game stops when the hero enters map 6"},
    {"Abilities/SwordCut.txt", "剣 0 2 3", "1:1: note: read as UTF-8 and converted to code page 932"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero 40 8 6 5 5 99999 70 0 1 0 0 0 0 1 5 2 3 3 3 8 4",
     "1:17: error: the speed 99999 does not fit in 16 bits: the game reads it as -31073", 0, 0, "is negative"},
    // Values the game reinterprets, each at its cause.
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 -6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "2:6: error: the defence -6 turns every blow of the Knight, the Bishop, the Rook into 0 damage"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n1 60 0\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "3:1: error: the experience 60 is not below the next level's experience 1: the first win raises the hero at once "
     "from level 0 to level 1 or beyond (is the line in the order",
     0, 0, "the level 0"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n0 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "3:1: error: the experience 0 is not below the next level's experience 0: the first win raises the hero at once "
     "from level 1 to level 2"},
    {"Hero_Info/Hero_Status_Info.txt", "アレン ド\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "1:8: error: the max HP (a number) was expected here: reading stops, and this field and the ones after it are not "
     "read; a name holds no blank",
     0, 0, "starts on a wall"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n8 4\n",
     "6:1: error: the file ends after 15 numbers: the fields after them are not read, from the protein's item number "
     "on",
     0, 0, ":1:1: error"},
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン 1 ◎\n0 1\n14 6 4 3 3 5 9\n",
     "3:14: error: the ability 9 is not 0 to 4: the game strikes with SwordCut"},
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン 1 ◎\n0 1\n14 -6 4 3 3 5 0\n",
     "3:4: warning: the attack -6 is negative: the game computes with it as written"},
    {"Enemy_Info/Bishop_Status_Info.txt", "ビショップ 3 ○\n0 1\n0 14 10 12 10 11 1\n",
     "3:1: error: the max HP 0: each of them falls at the first blow that lands"},
    {"Enemy_Info/Knight_Status_Info.txt", "ナイト 2 ◎\n0 1\n26 10 7 4 5 9 0\n",
     "1:10: warning: the symbol ◎ (the Pawn's symbol) is not the legend's △ for the Knight: the field draws ◎, the "
     "legend still says △"},
    {"map_form/map1/5.txt", Rows(19, kBlank) + std::string(20, '#') + "    " + std::string(35, '#') + "\n",
     "20:21: warning: the gap in the bottom row at columns 21 to 24 meets the wall of map 8's top row: the hero stands "
     "in it and cannot pass"},
    // A step that leaves the map but lands with the hero's second cell in the neighbour's wall.
    {"map_form/map1/5.txt", Rows(20, " #" + std::string(57, ' ')),
     "map_form/map1/4.txt:11:58: warning: the gap in the right edge at row 11 meets the wall of map 5's left edge: the "
     "hero passes into the wall"},
    {"map_info/map1.txt", "7 21 8\n9 29 13\n9 31\n", "4:1: error: the file ends after 8 numbers"},
    // Misread words: full-width digits, and the symbol where the kind number belongs.
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン １ ◎ 0 1 14 6 4 3 3 5 0",
     "1:8: error: the kind number (a number) was expected here: reading stops, and this field and the ones after it "
     "are not read; it is written in full-width digits: write 1 in half-width ones"},
    {"Enemy_Info/Knight_Status_Info.txt", "ナイト △ 2 0 1 26 10 7 4 5 9 0",
     "1:8: error: the kind number (a number) was expected here: reading stops, and this field and the ones after it "
     "are not read; is this the symbol? the order is name, kind number, symbol"},
    {"map_info/map1.txt", "7 21 8\n9 29 x\n", "2:6: error: a number was expected here: reading stops"},
    {"Enemy_Info/Knight_Status_Info.txt", "Abcdefghijklmnopqrstuvwxyz 2 ◎ 0 1 14 6 4 3 3 5 0",
     "1:20: error: the name is 26 bytes, longer than the 19 its field holds: the game keeps the first 19"},
    {"Enemy_Info/Knight_Status_Info.txt", "Knight 2 ◎◎ 0 1 14 6 4 3 3 5 0",
     "1:12: error: the symbol is 4 bytes, longer than the 3 its field holds: the game keeps the first 2"},
    {"map_form/map1/2.txt", Rows(3, kBlank) + std::string(61, '#') + "\n" + Rows(16, kBlank),
     "4:60: error: line is 61 characters long, more than the 59 a row holds: rows 5 to 20 are shifted"},
    {"map_form/map1/2.txt", Rows(19, kBlank) + std::string(62, '#') + "\n",
     "20:60: error: line is 62 characters long, more than the 59 a row holds: the characters from here on are not "
     "shown"},
    {"map_form/map1/3.txt", Rows(10, kBlank),
     "11:1: warning: the picture has 10 lines, fewer than 20: rows 11 to 20 are left free"},
    {"map_form/map1/4.txt", Rows(5, kBlank) + "\t" + std::string(58, ' ') + "\n" + Rows(14, kBlank),
     "6:1: warning: a tab is one wall cell that the terminal does not draw as one: use blanks"},
    {"mini_map/map1.txt", Rows(3, std::string(19, '.')) + std::string(18, '.') + "\n" + Rows(5, std::string(19, '.')),
     "4:19: error: line is 18 characters long, fewer than the 19 a row holds: rows 5 to 9 are shifted"},
    {"map_info/map1/3.txt", "6\n1 1 10 4\n", "1:1: error: the count 6 is outside 0 to 5: the game reads 5 of them"},
    {"map_info/map1/2.txt", "1\n1 2 20 4\n1 3 30 10\n", "3:1: warning: the count is 1 but more numbers"},
    {"map_info/map1/2.txt", "1\n7 2 20 4\n",
     "2:1: error: kind 7 is not 1 to 4 (Pawn, Knight, Bishop, Rook): the game makes it a Rook"},
    {"map_info/map1/2.txt", "1\n1 9 20 4\n", "2:3: error: group size 9 is outside 1 to 7: the game puts up 7"},
    {"map_info/map1/1.txt", "1\n1 2 21 0\n", "2:5: warning: the enemy at (21, 0) stands on a wall"},
    {"map_info/map1/2.txt", "1\n1 2 -6 25\n",
     "2:5: error: the cell (-6, 25) is outside the map (columns 0 to 58, rows 0 to 19): the game places the enemy at "
     "(0, 19)"},
    {"map_info/map1/1.txt", "1\n1 2 70 4\n",
     "2:5: error: the cell (70, 4) is outside the map (columns 0 to 58, rows 0 to 19): the game places the enemy at "
     "(58, 4)"},
    {"Hero_Info/Hero_Status_Info.txt", std::string(kHero) + "0 0\n",
     "6:1: error: the hero starts on a wall at (0, 0) of map 1"},
    {"Hero_Info/Hero_Status_Info.txt", std::string(kHero) + "8 25\n",
     "6:3: error: the start cell (8, 25) is outside the map (columns 0 to 58, rows 0 to 19): the game puts the hero at "
     "(8, 19)"},
    {"map_info/map1.txt", std::string(kMarks) + "12\n",
     "4:1: error: the start map 12 is not 1 to 9: the game stops at once, for map_info/map1/12.txt is missing"},
    {"map_info/map1.txt", "7 61 8\n9 29 13\n9 31 1\n1\n", "1:3: error: the Queen's mark (61, 8) is outside"},
    {"map_info/map1.txt", std::string(kMarks) + "1\n",
     "3:1: note: the strip opens rows 1 and 2 of map 9, columns 31 to 40 (20 wall cells freed), when the hero enters "
     "map 7 or map 9"},
    {"map_form/map1/3.txt", Rows(20, std::string(59, '#')), "1:1: warning: the hero can never reach map 3"},
    // Walls shut the cells (0, 1) and (1, 1) off from the rest of the map.
    {.file = "map_form/map1/1.txt",
     .content = Rows(1, "###" + std::string(56, ' ')) + Rows(1, "  #" + std::string(56, ' ')) +
                Rows(1, "###" + std::string(56, ' ')),
     .said = "map_info/map1/1.txt:2:1: warning: the enemy at (0, 1) can never reach the hero",
     .other = "map_info/map1/1.txt",
     .otherContent = "1\n1 2 0 1\n"},
    // Traps that played otherwise than meant without a word, each at its cause with its rule.
    {"map_form/map1/5.txt", Rows(9, kBlank) + "●●\u3000" + std::string(53, ' ') + "\n", "full-width-space", 10, 3},
    {"Abilities/SwordCut.txt", "Cut 0\n0 3\n", "power", 2, 1},
    {"Abilities/Flame.txt", "Flame 0 -2 2\n", "power", 1, 9},
    {"Abilities/SwordCut.txt", "一文字 0 2 95\n", "accuracy", 1, 9},
    {"map_form/map1/1.txt", "###  " + std::string(54, '#') + "\n" + Rows(19, "#" + std::string(58, ' ')), "outer-gap",
     1, 4},
    // After full-width text the column counts characters, not cells.
    {"map_form/map1/1.txt", "#看板  " + std::string(52, '#') + "\n" + Rows(19, "#" + std::string(58, ' ')), "outer-gap",
     1, 4},
    {"map_info/map1.txt", "8 35 17\n9 29 13\n2 31 1\n1\n", "strip-top-row", 3, 1},
    {"map_info/map1.txt", "9 35 17\n9 29 13\n9 31 1\n1\n", "marks-share-map", 2, 1},
    {"map_info/map1.txt", "8 35 17\n9 29 13\n9 55 1\n1\n", "strip-column", 3, 3},
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン １ ◎ 0 1 14 6 4 3 3 5 0\n", "number-expected", 1, 5},
    {"Enemy_Info/Knight_Status_Info.txt", "ナイト △ 2 0 1 26 10 7 4 5 9 0\n", "number-expected", 1, 5},
    {"map_form/map1/4.txt", Rows(20, "#\t" + std::string(50, ' ')), "tab", 1, 2},
    {"map_form/map1/6.txt", Rows(20, "#" + std::string(40, ' ')), "row-length", 1, 42},
    {"map_form/map1/2.txt", Rows(3, kBlank) + std::string(59, '#') + "●●\n" + Rows(16, kBlank), "row-length", 4, 60},
    {"map_info/map1/2.txt", "1\n1 2 20 4\n\x1A", "extra-text", 3, 1},
    {"map_info/map1.txt", "8 35 17\n9 29 13\n9 31 1\n0\n", "start-map", 4, 1},
    // Translations and what a world says of itself.
    {"translations/en.po", "<po>", "no-cp932-form", 16, 12, "translation-missing", "\"Allen\"", "\"Allén\"", "All・n"},
    {"translations/en.po",
     "msgctxt \"Hero_Info/Hero_Status_Info.txt\"\nmsgid \"\x83\x41\x83\x8C\x83\x93\"\nmsgstr \"Allen\"\n",
     "translation-encoding", 2, 8},                                                                 // Shift_JIS
    {"translations/en.po", "msgid \"Cafe\"\nmsgstr \"Caf\xE9\"\n", "translation-encoding", 2, 12},  // Latin-1
    {"translations/en.po", "<po>", "byte-order-mark", 1, 1, "translation-unreadable", "# The default",
     "\xEF\xBB\xBF# The default", "Allen"},
    {"translations/en.po", "<po>", "translation-control-character", 71, 20, nullptr, "\"Queen opens the King's way\"",
     "\"Queen opens\\nthe King's way\""},
    {"translations/en.po", "<po>", "translation-control-character", 16, 11, nullptr, "\"Allen\"", "\"Al\\ten\"",
     "Al en"},  // drawn as a blank
    {"translations/en.po", "<po>", "translation-duplicate", 20, 1, nullptr, "msgctxt \"Enemy_Info/Pawn",
     "msgctxt \"Hero_Info/Hero_Status_Info.txt\"\nmsgid \"アレン\"\nmsgstr \"Alan\"\n\nmsgctxt \"Enemy_Info/Pawn",
     "Allen"},
    {"translations/en.po", "<po>", "translation-glued", 17, 1, "translation-missing", "msgstr \"Allen\"\n\n",
     "msgstr \"Allen\"\n", "Allen"},
    {"translations/en.po", "<po>", "translation-unreadable", 16, 1, nullptr, "msgstr \"Allen\"", "msgstring \"Allen\""},
    // A missing translation is found at the sign, and at the name.
    {"map_form/map1/1.txt", "<po>", "translation-missing", 2, 4, nullptr, "msgid \"キングの門はクイーンが開く\"",
     "msgid \"ありません\""},
    {"Hero_Info/Hero_Status_Info.txt", "<po>", "translation-missing", 1, 1, nullptr, "msgid \"アレン\"",
     "msgid \"アラン\""},
    {"translations/en_US.po", "msgid \"\"\nmsgstr \"\"\n", "translation-file-name", 1, 1},
    {"translation/en.po", "msgid \"\"\nmsgstr \"\"\n", "translation-folder", 1, 1},
    // The Queen's name is never drawn, and decoration is no text.
    {"translations/en.po", "<po>", "", 0, 0, "translation-missing", "msgid \"クイーン\"", "msgid \"女王\""},
    {"map_form/map1/2.txt",
     Rows(3, kBlank) + "～～ ～～ ～～" + std::string(45, ' ') + "\n木木木木" + std::string(51, ' ') + "\n■ｘ■" +
         std::string(53, ' ') + "\n" + Rows(14, kBlank),
     "", 0, 0, "translation-missing"},
    {"map_form/map1/2.txt", Rows(3, kBlank) + "看板\u3000です" + std::string(49, ' ') + "\n" + Rows(16, kBlank),
     "full-width-space", 4, 3, "translation-extra"},
    {"world.txt", "name: W\ncolour: red\n", "world-file", 2, 1},
    {"world.txt", "name: W\n", "levels", 1, 1},                              // no levels: a note
    {"world.txt", "name: W\nlevels: 1 2 5 3 6 9 7 11 \n", "levels", 2, 25},  // where the ninth goes
    {"world.txt", "name: W\nlevels:  1 2 five 3 6 9 7 11 14\n", "levels", 2, 14},
    {"world.txt", "name: W\nlevels: 1 2 5 3 6 9 7 11 100\n", "levels", 2, 26},  // past the game's
    {"world.txt", "name: W\nlevels: 1 2 5 3 6 9 7 11 14 20\n", "levels", 2, 29},
    // Nothing from fields never read (the strip's of a world info that lacks a line), nor from a cell never
    // stood on (the game moves a hero off a wall).
    {"map_info/map1.txt", "7 21 8\n9 29 13\n1\n", "", 0, 0, "strip"},
    {"map_info/map1.txt", "7 21 8\n9 29 x\n", "", 0, 0, "strip"},
    {"Hero_Info/Hero_Status_Info.txt", "アレン 40 8 6 5 5 8 70 0 1 0 0 0 0 1 5 2 3 3 3 0 0", "", 0, 0, "unreachable"},
};

TEST_F(WorldCheckTest, EveryKindOfFindingAtItsCause) {
    const std::string po = dir.Read("translations/en.po");
    auto put = [](const test::TempDir& world, const std::string& file, const std::string& content) {
        std::filesystem::remove_all(world.Path() / file);
        if (content == "<dir>") std::filesystem::create_directory(world.Path() / file);
        else if (content != "<none>") world.Write(file, content);
    };
    for (const Finding& f : kFindings) {
        SCOPED_TRACE(std::string(f.file) + ": " + f.said + (f.absent ? f.absent : ""));
        test::TempDir world{RANKS_WORLD_DIR};
        std::string content = f.content == "<po>" ? po : f.content;
        if (f.from != nullptr) content.replace(content.find(f.from), std::strlen(f.from), f.to);
        // The other file first: where names are not case-sensitive, taking map1.txt away takes Map1.txt too.
        if (f.other) put(world, f.other, f.otherContent);
        put(world, f.content == "<po>" ? "translations/en.po" : f.file, content);
        // Where names are not case-sensitive (Windows) the game finds Map1.txt as map1.txt.
        if (f.other && std::string_view(f.otherContent) == "<none>" && std::filesystem::exists(world.Path() / f.other))
            continue;
        const auto result = authoring::CheckWorld(world.Path().string());
        const std::string report = authoring::FormatCheck(result, "w");
        const std::string line =
            std::isdigit(static_cast<unsigned char>(f.said[0])) ? f.file + (":" + std::string(f.said)) : f.said;
        EXPECT_TRUE(f.line > 0 || report.find(line) != std::string::npos) << report;
        EXPECT_TRUE(!f.absent || report.find(f.absent) == std::string::npos) << report;
        // One cause, one finding: no second of its kind (a note aside), nor a line length that the cause gave.
        int found = 0, kin = 0;
        for (const LoadRemark& r : result.remarks) {
            EXPECT_FALSE(f.absent && RuleCode(r.rule).starts_with(f.absent)) << r.message;
            if (f.line == 0 || r.file != f.file) continue;
            const bool here = RuleCode(r.rule) == f.said && r.line == f.line && r.charColumn == f.column;
            found += here;
            kin +=
                here || (r.severity != Severity::kNote && (RuleCode(r.rule) == f.said || r.rule == Rule::kRowLength));
            EXPECT_NE(r.rule, Rule::kSymbol) << r.message;
        }
        EXPECT_TRUE(f.line == 0 || (found == 1 && kin == 1)) << report;
        if (f.heroDrawn == nullptr) continue;
        UseLanguage(1);
        EXPECT_EQ(Cp932ToUtf8(WorldText(FixedText(hero.name))), f.heroDrawn);
        UseLanguage(0);
    }
}

TEST_F(WorldCheckTest, ExitStatusTellsCleanFromErrorsFromNoWorld) {
    auto run = [](const std::string& world) { return test::CallWith(Main, {"ranks", "check", world}); };
    EXPECT_EQ(run(root()), 0);
    // The default world's notes are the strip and its name: no code page 932 file is taken for UTF-8.
    EXPECT_NE(headless::PrintedOut().find(root() + ": 0 errors, 0 warnings, 2 notes (--notes lists them)\n"),
              std::string::npos)
        << headless::PrintedOut();
    // For editors: paths as the folder was given, a cell column and a byte column on non-ASCII lines.
    // (Without the translation, which would miss the new name.)
    std::filesystem::remove_all(root() + "/translations");
    dir.Write("Hero_Info/Hero_Status_Info.txt", std::string("アレン〜") + (kHero + 4) + "8 4\n");
    EXPECT_EQ(test::CallWith(Main, {"ranks", "check", root(), "--format=json"}), 0);
    EXPECT_EQ(headless::PrintedOut(),
              "{\"findings\": [\n  {\"file\": " + authoring::JsonString(root() + "/Hero_Info/Hero_Status_Info.txt") +
                  ", \"line\": 1, \"column\": 4, \"cell\": 7, \"byte\": 10, \"severity\": \"warning\", \"rule\": "
                  "\"no-cp932-form\", \"message\": \"this character (U+301C) has no code page 932 form: the game shows "
                  "\\\"・\\\"; write ～ (U+FF5E), its code page 932 look-alike\"}\n], \"summary\": {\"world\": " +
                  authoring::JsonString(root()) + ", \"errors\": 0, \"warnings\": 1, \"notes\": 3}}\n");
    dir.Write("map_info/map1/5.txt", "9\n");
    EXPECT_EQ(run(root()), 1);
    EXPECT_EQ(run(root() + "/Hero_Info"), 2);
    EXPECT_EQ(headless::PrintedError().find("ranks check: " + root() + "/Hero_Info holds none of the data folders"),
              0u);
}
// Level-1 battles that neither side can end: hit points and defences far beyond the blows.
TEST_F(WorldCheckTest, ABattleNeitherSideCanEndIsFound) {
    dir.Write("Hero_Info/Hero_Status_Info.txt", "アレン 32000 8 30000 5 5 8 70 0 1 0 0 0 0 1 5 2 3 3 3 8 4");
    dir.Write("Enemy_Info/Pawn_Status_Info.txt", "ポーン 1 ◎ 0 1 30000 6 30000 3 3 5 0");
    const auto result = authoring::CheckWorld(root());
    EXPECT_TRUE(std::any_of(result.remarks.begin(), result.remarks.end(), [](const LoadRemark& r) {
        return r.rule == Rule::kEndlessBattle && r.file == "map_info/map1/1.txt" && r.line == 2;
    })) << authoring::FormatCheck(result, "w");
}

// Every field of every kind of token file, written wrong in each way an
// author slips: a word, full-width digits, a number too big, a negative
// one, 0. Each letter is what the checker must say at that field's line
// (E error, W warning, . nothing there), in that order.
TEST_F(WorldCheckTest, EverySlipInEveryFieldIsReportedOrPlaysAsWritten) {
    struct TokenFile {
        const char* file;
        std::vector<std::string> fields;
        std::vector<const char*> expected;  // what is said of each slip in each field
    };
    const TokenFile files[] = {
        {"Hero_Info/Hero_Status_Info.txt",
         {"Hero", "40", "8", "6", "5", "5", "8", "70", "0", "1", "0",
          "0",    "0",  "0", "1", "5", "2", "3", "3",  "3", "8", "4"},
         {".....", "EEEEE", "EEEW.", "EEEE.", "EEEW.", "EEEW.", "EEEW.", "EE.EE", "EEEE.", "EEEWW", "EEE..",
          "EEE..", "EEE..", "EEE..", "EEE..", "EEE..", "EEE..", "EEE..", "EEE..", "EEE..", "EEEEE", "EEEE."}},
        {"Enemy_Info/Pawn_Status_Info.txt",
         {"ポーン", "1", "◎", "0", "1", "14", "6", "4", "3", "3", "5", "0"},
         {".....", "EEE..", "WWEWW", "EEE..", "EEE..", "EEEEE", "EEEW.", "EEEW.", "EEEW.", "EEEW.", "EEEW.", "EEEE."}},
        {"Abilities/SwordCut.txt", {"一文字", "0", "2", "3"}, {".....", "EEE..", "EEEEE", "EEEWW"}},
        {"map_info/map1.txt",
         {"8", "35", "17", "9", "29", "13", "9", "31", "1", "1"},
         {"EEEWW", "EEEEE", "EEEEE", "EEEWW", "EEEEE", "EEEEE", "EEEWW", "EEEWW", "EEE..", "EEEEE"}},
        {"map_info/map1/2.txt", {"1", "1", "3", "20", "4"}, {"EEEE.", "EEEEE", "EEEEE", "EEEE.", "EEEE."}},
    };
    const char* const slips[] = {"x", "３", "99999", "-3", "0"};
    std::filesystem::remove_all(root() + "/translations");  // a new name has no translation, which is said
    for (const auto& [file, fields, expected] : files)
        for (std::size_t field = 0; field < fields.size(); ++field)
            for (std::size_t slip = 0; slip < std::size(slips); ++slip) {
                std::string text;  // one field a line: field i stands on line i + 1
                for (std::size_t i = 0; i < fields.size(); ++i) text += (i == field ? slips[slip] : fields[i]) + "\n";
                dir.Write(file, text);
                const auto result = authoring::CheckWorld(root());
                char said = '.';
                for (const LoadRemark& r : result.remarks)
                    if (r.file == file && r.line == static_cast<int>(field) + 1 && r.severity != Severity::kNote)
                        said = r.severity == Severity::kError ? 'E' : said == 'E' ? 'E' : 'W';
                EXPECT_EQ(said, expected[field][slip]) << file << " field " << field << " as " << slips[slip] << "\n"
                                                       << authoring::FormatCheck(result, "w");
            }
}

// Found from any folder inside the world, and said which; the new world
// checks clean, and plays.
TEST_F(WorldCheckTest, CheckFindsTheWorldUpwardAndANewWorldChecksClean) {
    const auto made = dir.Path() / "made";
    EXPECT_EQ(test::CallWith(Main, {"ranks", "new", made.string()}), 0);
    EXPECT_EQ(test::CallWith(Main, {"ranks", "new", made.string()}), 2);  // never over a world
    const auto result = authoring::CheckWorld(made.string());
    EXPECT_EQ(result.errors + result.warnings, 0) << authoring::FormatCheck(result, "w");
    test::NewGameOn(made);
    EXPECT_NE(Row(3).find("看板"), std::string::npos) << Row(3);
    dir.Write("made/map_info/map1/5.txt", "9\n");
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(made / "map_form" / "map1");
    const int status = test::CallWith(Main, {"ranks", "check"});
    std::filesystem::current_path(here);
    EXPECT_EQ(status, 1);
    const std::string up = std::string("..") + platform::PathSeparator() + "..";
    EXPECT_TRUE(headless::PrintedOut().starts_with("ranks check: checking " + up +
                                                   " (the world the working directory lies in)\n" + up +
                                                   "/map_info/map1/5.txt:1:1: error: the count 9"))
        << headless::PrintedOut();
}

// The SARIF log's frame, rules and one result (the full schema is checked by hand with a validator).
TEST_F(WorldCheckTest, SarifNamesEveryRuleAndPlacesEachResult) {
    dir.Write("Abilities/Flame.txt", "フレイム 0 0 2\n");
    const auto log = authoring::FormatCheck(authoring::CheckWorld(root()), "w", authoring::ReportFormat::kSarif, false);
    for (const RuleInfo& r : kRules) EXPECT_NE(log.find("{\"id\": \"" + std::string(r.code) + "\""), std::string::npos);
    for (const char* part :
         {"{\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\", \"version\": \"2.1.0\"",
          "\"columnKind\": \"unicodeCodePoints\"", "{\"ruleId\": \"power\", \"ruleIndex\": 32, \"level\": \"error\"",
          "{\"uri\": \"Abilities/Flame.txt\", \"uriBaseId\": \"WORLD\"}, \"region\": {\"startLine\": 1, "
          "\"startColumn\": 8}",
          "\"informationUri\": ", "\"originalUriBaseIds\": {\"WORLD\": {\"uri\": \"file:///"})
        EXPECT_NE(log.find(part), std::string::npos) << part << "\n" << log;
    EXPECT_EQ(log.find("\"ruleId\": \"strip\""), std::string::npos);  // notes only when asked for
    // No world: still one document, saying why.
    EXPECT_NE(authoring::FormatNoWorld("no data folders", "x", authoring::ReportFormat::kSarif)
                  .find("\"executionSuccessful\": false, \"toolExecutionNotifications\": [{\"level\": \"error\", "
                        "\"message\": {\"text\": \"no data folders\"}}]"),
              std::string::npos);
    EXPECT_EQ(authoring::FormatNoWorld("no data folders", "x", authoring::ReportFormat::kJson),
              "{\"findings\": [], \"error\": \"no data folders\", \"summary\": {\"world\": \"x\", \"errors\": 0, "
              "\"warnings\": 0, \"notes\": 0}}\n");
    EXPECT_EQ(authoring::UriPath("a b/ü\\x"), "a%20b/%C3%BC/x");
}

// The authors' reference names every file, every field and every rule the
// checker knows, so neither can drift from the other.
TEST(WorldsDocTest, ReferenceNamesEveryFileFieldAndRule) {
    const std::string doc = test::FileBytes(RANKS_SOURCE_DIR "/docs/worlds.md");
    ASSERT_FALSE(doc.empty());
    const std::string reference = doc.substr(doc.find("## The files: a field reference"));
    for (const WorldFileId& file : WorldFiles()) {
        std::string name = WorldFileName(file);
        if (file.kind == WorldFileKind::kEnemy) name = "Enemy_Info/<Kind>_Status_Info.txt";
        if (file.kind == WorldFileKind::kAbility) name = "Abilities/<Name>.txt";
        if (file.kind == WorldFileKind::kMapForm || file.kind == WorldFileKind::kEnemyList)
            name = name.substr(0, name.rfind('/') + 1) + "1.txt";
        EXPECT_NE(reference.find("`" + name + "`"), std::string::npos) << name;
    }
    for (std::string_view k : kKindNames) EXPECT_NE(reference.find(k), std::string::npos) << k;
    for (std::string_view a : kAbilityNames) EXPECT_NE(reference.find(a), std::string::npos) << a;
    // The hero's and the world's fields (the first two) anywhere; the others as a row of a table begins.
    const std::span<const std::string_view> fields[] = {kHeroFields, kWorldInfoFields, kEnemyFields, kAbilityFields,
                                                        kEnemyListFields};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        for (std::string_view f : fields[i])
            EXPECT_NE(reference.find((i < 2 ? "" : "| ") + std::string(f)), std::string::npos) << f;
    for (const RuleInfo& r : kRules) EXPECT_NE(doc.find("`" + std::string(r.code) + "`"), std::string::npos) << r.code;
    for (std::string_view f : kWorldAboutFields)
        EXPECT_NE(doc.find("| `" + std::string(f) + "` |"), std::string::npos) << f;
}

// A map as the game reads it: the reached cells, the enemies, the passages,
// and a gap that the checker reports shows no passage.
TEST_F(WorldCheckTest, ShowDrawsTheMapAsRead) {
    authoring::CheckWorld(root());
    const std::string shown = authoring::ShowMap(5);
    for (const char* part : {"   +------vvvv-----", "10 <.......", " 9 |#.........................#####.........△",
                             " 5 |#.............|       |........"})
        EXPECT_NE(shown.find(part), std::string::npos) << part << "\n" << shown;
    dir.Write("map_form/map1/5.txt", Rows(19, kBlank) + std::string(20, '#') + "    " + std::string(35, '#') + "\n");
    authoring::CheckWorld(root());
    const std::string sealed = authoring::ShowMap(5);
    EXPECT_NE(sealed.find("   +" + std::string(60, '-') + "+\n"), std::string::npos) << sealed;
}

// The repository's UTF-8 sources check clean (pictures measured as the
// game reads them) and load into exactly the records that the build's code
// page 932 world gives.
TEST_F(WorldCheckTest, Utf8SourcesCheckCleanAndPlayAsTheConvertedWorld) {
    const auto result = authoring::CheckWorld(RANKS_SOURCE_WORLD_DIR);
    EXPECT_EQ(result.errors + result.warnings, 0);
    EXPECT_GE(result.notes, 13);  // the strip, and every file written in UTF-8 beyond ASCII
    auto load = [](const std::string& root) {
        test::NewGameOn(root);
        auto bytes = [](const auto& r) { return std::string(reinterpret_cast<const char*>(&r), sizeof r); };
        return bytes(hero) + bytes(enemyTable) + bytes(abilityTable) + bytes(worldGrid) + bytes(miniMapText);
    };
    EXPECT_EQ(load(RANKS_SOURCE_WORLD_DIR), load(RANKS_WORLD_DIR));
}

using BalanceTest = test::GameTest;

std::string Report(const std::string& world, const char* battles, std::vector<std::string> more = {}) {
    headless::Reset();
    std::vector<std::string> words{"ranks", "balance", world, "--battles", battles};
    words.insert(words.end(), more.begin(), more.end());
    EXPECT_EQ(test::CallWith(Main, words), 0);
    return headless::PrintedOut();
}

std::string Line(const std::string& report, const std::string& start) {
    const std::size_t at = report.find(start);
    return at == std::string::npos ? std::string() : report.substr(at, report.find('\n', at) - at);
}

TEST_F(BalanceTest, SameReportEveryRunWithMapsRowsAndEstimates) {
    const std::string report = Report(RANKS_WORLD_DIR, "3");
    EXPECT_EQ(Report(RANKS_WORLD_DIR, "3"), report);
    // The levels that open an ability head the rows and end the estimates.
    for (const char* part :
         {"By map: the lowest level (1 to 25)", "By enemy group, at each level of 1, 5, 12, 18, 25\n",
          "to level 12: ", "to level 18: ", "to level 25: ", "  1      1    100.0%", "Pawn x1, Pawn x2, Pawn x1"})
        EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
    // The level-25 hero beats a lone Pawn every time, in one blow.
    EXPECT_NE(report.find("   25  Pawn        1      2    100.0%             1.0"), std::string::npos) << report;
    const std::string csv = Report(RANKS_WORLD_DIR, "3", {"--format=csv", "--levels", "1,25"});
    EXPECT_EQ(csv.find("map,enemy_groups,level_90,win_rate,typical_fight_s,meant_level,median_enters,most_enters,"
                       "over_40_share\n1,\"Pawn x1, Pawn x2, Pawn x1\",1,100.0,"),
              0u)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 10);
    const std::string json = Report(RANKS_WORLD_DIR, "3", {"--format=json", "--levels=25"});
    EXPECT_NE(json.find("{\"map\": 9, \"enemy_list_read\": true, \"groups\": [{\"kind\": \"Rook\", \"group\": 1}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"levels_without_rows\": []"), std::string::npos) << json;
}

// The policy drinks its potions: without them the level-10 hero wins far
// fewer of his battles against three Rooks (a world of that one group).
TEST_F(BalanceTest, PotionsChangeTheOutcomeOfLongBattles) {
    test::TempDir dir{RANKS_WORLD_DIR};
    for (int n = 1; n <= 9; ++n)
        dir.Write("map_info/map1/" + std::to_string(n) + ".txt", n == 1 ? "1\n4 3 30 10\n" : "0\n");
    const std::string with = Line(Report(dir.Path().string(), "10", {"--levels=10"}), "   10  Rook        3");
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "アレン 40 8 6 5 5 8 70 0 1 0 0 0 0 1 0 2 0 3 0 8 4");
    const std::string without = Line(Report(dir.Path().string(), "10", {"--levels=10"}), "   10  Rook        3");
    ASSERT_FALSE(with.empty() || without.empty());
    EXPECT_GE(std::stod(with.substr(29, 7)), std::stod(without.substr(29, 7)) + 20) << with << "\n" << without;
}

// Worlds the game reads otherwise than written: a warning first, every
// level's rows kept or said why not, a win a win; one without a hero is
// refused.
TEST_F(BalanceTest, WorldsThatPlayWrongAreSaidSoAndOneWithoutAHeroRefused) {
    struct Wrong {
        const char* file;
        const char* content;
        const char* levels;    // asked for
        const char* expected;  // a line of the report
        bool warned;           // the checker finds errors
    };
    const Wrong cases[] = {
        // An empty Bishop file: a Bishop of no hit points falls at the first blow, bringing no experience.
        {"Enemy_Info/Bishop_Status_Info.txt", "", "--levels=1", "    1  Bishop      1      3    100.0%", true},
        // The next level at 0 experience: the first win raises him, and every level has its rows.
        {"Hero_Info/Hero_Status_Info.txt", "Hero 40 8 6 5 5 8 0 0 1 0 0 0 0 1 5 2 3 3 3 8 4", "--levels=1,5,25",
         "   25  Pawn        1", true},
        {"Hero_Info/Hero_Status_Info.txt", "Hero 40 8 6 5 5 8 70 0 6 0 0 0 0 1 5 2 3 3 3 8 4", "--levels=1,25",
         "    1  no rows: below the hero file's level 6", false},
    };
    for (auto [file, content, levels, expected, warned] : cases) {
        test::TempDir dir{RANKS_WORLD_DIR};
        dir.WriteText(file, content);
        const std::string report = Report(dir.Path().string(), "2", {levels});
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
        EXPECT_EQ(report.find(" 0 min 0 s"), std::string::npos) << report;
        EXPECT_EQ(headless::PrintedError().find("ranks balance: warning: ") != std::string::npos, warned) << file;
    }
    test::TempDir dir{RANKS_WORLD_DIR};
    std::filesystem::remove(dir.Path() / "Hero_Info/Hero_Status_Info.txt");
    EXPECT_EQ(test::CallWith(Main, {"ranks", "balance", dir.Path().string()}), 2);
    EXPECT_NE(headless::PrintedError().find("ranks balance: the hero has no hit points (see ranks check)\n"),
              std::string::npos);
}

}  // namespace
}  // namespace rf
