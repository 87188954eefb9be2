// The world checker on the default world and on one hostile change of it
// per kind of report, each found at its exact line and column.
#include "authoring/world_check.h"
#include "authoring/report.h"

#include "core/world_folder.h"
#include "program/command_line.h"
#include "program/startup.h"
#include "test_support.h"

namespace rf {
namespace {

class WorldCheckTest : public test::GameTest {
protected:
    std::string root() const { return dir.Path().string(); }
    test::TempDir dir{RANKS_WORLD_DIR};
};

std::string Rows(int count, const std::string& row) {
    std::string text;
    for (int i = 0; i < count; ++i) text += row + "\n";
    return text;
}

struct Case {
    const char* file;
    std::string content;            // "<dir>" makes a folder, "<none>" takes the file away
    const char* line;               // expected in the report: where, how grave, and what
    const char* absent = nullptr;   // what must not be said (a cascade of the same cause)
    const char* removed = nullptr;  // a file taken away as well
};

const char* const kHero = "Hero\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n";
const char* const kMarks = "7 21 8\n9 29 13\n9 31 1\n";

const Case kCases[] = {
    {"map_form/map1/6.txt", "<none>", "map_form/map1/6.txt:1:1: error: missing: the game stops here"},
    {"Abilities/Flame.txt", "<dir>",
     "Abilities/Flame.txt:1:1: error: a directory: this ability's record and those after"},
    {"Enemy_Info/Rook_Status_Info.txt", "",
     "Enemy_Info/Rook_Status_Info.txt:1:1: error: the file ends before the name"},
    {"Enemy_Info/Pawn_Status_Info.txt", "Pawn 1 \x81 0 1 14 6 4 3 3 5 0",
     "Enemy_Info/Pawn_Status_Info.txt:1:8: warning: byte 0x81"},
    {"Abilities/SwordCut.txt", "剣\xF0\x9F\x98\x80 0 2 3",
     "Abilities/SwordCut.txt:1:3: warning: this character (U+1F600) has no code page"},
    {"Hero_Info/Hero_Status_Info.txt", std::string("アレン〜〜") + (kHero + 4),
     "Hero_Info/Hero_Status_Info.txt:1:7: warning: this character (U+301C) has no code page 932 form: the game shows "
     "\"・\"; write ～ (U+FF5E), its code page 932 look-alike (2 times in this file)"},
    {"map_form/map1/3.txt",
     Rows(5, std::string(59, ' ')) + "Ch\xE2teau" + std::string(52, ' ') + "\n" + Rows(14, std::string(59, ' ')),
     "map_form/map1/3.txt:6:3: warning: the file seems to be Latin-1 (ISO 8859-1): the game reads it as code page 932 "
     "and shows \"Ch穰e\" here; save it as UTF-8"},
    {"Enemy_Info/Rook_Status_Info.txt",
     std::string("\xFF\xFER\0o\0o\0k\0 \0"
                 "4\0",
                 14),
     "Enemy_Info/Rook_Status_Info.txt:1:1: error: the file is UTF-16: the game reads its bytes as code page 932 and "
     "finds none of its text; save it as UTF-8 or code page 932 (Shift_JIS)",
     "Rook_Status_Info.txt:1:2"},
    {"map_info/Map1.txt", std::string(kMarks) + "1\n",
     "map_info/map1.txt:1:1: error: missing (there is map_info/Map1.txt: names are case-sensitive, did you mean "
     "map1.txt?): the game stops here",
     nullptr, "map_info/map1.txt"},
    {"map_info/map1/6.txt", "<none>",
     "map_info/map1/6.txt:1:1: error: missing: the game stops when the hero enters map 6"},
    {"Abilities/SwordCut.txt", "剣 0 2 3",
     "Abilities/SwordCut.txt:1:1: note: read as UTF-8 and converted to code page 932"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero 40 8 6 5 5 99999 70 0 1 0 0 0 0 1 5 2 3 3 3 8 4",
     "Hero_Info/Hero_Status_Info.txt:1:17: error: the speed 99999 does not fit in 16 bits: the game reads it as -31073",
     "is negative"},
    // Values the game reinterprets, each at its cause.
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 -6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "Hero_Info/Hero_Status_Info.txt:2:6: error: the defence -6 turns every blow of the Bishop, the Rook into 0 "
     "damage"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n1 60 0\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "Hero_Info/Hero_Status_Info.txt:3:1: error: the experience 60 is not below the next level's experience 1: the "
     "first win raises the hero at once from level 0 to level 1 or beyond (is the line in the order",
     "the level 0"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n0 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "Hero_Info/Hero_Status_Info.txt:3:1: error: the experience 0 is not below the next level's experience 0: the "
     "first win raises the hero at once from level 1 to level 2"},
    {"Hero_Info/Hero_Status_Info.txt", "アレン ド\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n1 5 2 3 3 3\n8 4\n",
     "Hero_Info/Hero_Status_Info.txt:1:8: error: the max HP (a number) was expected here: reading stops, and this "
     "field and the ones after it are not read; a name holds no blank",
     "starts on a wall"},
    {"Hero_Info/Hero_Status_Info.txt", "Hero\n40 8 6 5 5 8\n70 0 1\n0 0 0 0\n8 4\n",
     "Hero_Info/Hero_Status_Info.txt:6:1: error: the file ends after 15 numbers: the fields after them are not read, "
     "from the protein's item number on",
     ":1:1: error"},
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン 1 ◎\n0 1\n14 6 4 3 3 5 9\n",
     "Enemy_Info/Pawn_Status_Info.txt:3:14: error: the ability 9 is not 0 to 4: the game strikes with SwordCut"},
    {"Enemy_Info/Pawn_Status_Info.txt", "ポーン 1 ◎\n0 1\n14 -6 4 3 3 5 0\n",
     "Enemy_Info/Pawn_Status_Info.txt:3:4: warning: the attack -6 is negative: the game computes with it as written"},
    {"Enemy_Info/Bishop_Status_Info.txt", "ビショップ 3 ○\n0 1\n0 14 10 12 10 11 1\n",
     "Enemy_Info/Bishop_Status_Info.txt:3:1: error: the max HP 0: each of them falls at the first blow that lands"},
    {"Enemy_Info/Knight_Status_Info.txt", "ナイト 2 ◎\n0 1\n26 10 7 4 5 9 0\n",
     "Enemy_Info/Knight_Status_Info.txt:1:10: warning: the symbol ◎ (the Pawn's symbol) is not the legend's △ for the "
     "Knight: the field draws ◎, the legend still says △"},
    {"map_form/map1/5.txt",
     Rows(19, std::string(59, ' ')) + std::string(20, '#') + "    " + std::string(35, '#') + "\n",
     "map_form/map1/5.txt:20:21: warning: the gap in the bottom row at columns 21 to 24 meets the wall of map 8's top "
     "row: the hero stands in it and cannot pass"},
    {"map_info/map1.txt", "7 21 8\n9 29 13\n9 31\n", "map_info/map1.txt:4:1: error: the file ends after 8 numbers"},
    {"map_info/map1.txt", "7 21 8\n9 29 x\n",
     "map_info/map1.txt:2:6: error: a number was expected here: reading stops"},
    {"Enemy_Info/Knight_Status_Info.txt", "Abcdefghijklmnopqrstuvwxyz 2 ◎ 0 1 14 6 4 3 3 5 0",
     "Enemy_Info/Knight_Status_Info.txt:1:20: error: the name is 26 bytes, longer than the 19 its field holds: the "
     "game "
     "keeps the first 19"},
    {"Enemy_Info/Knight_Status_Info.txt", "Knight 2 ◎◎ 0 1 14 6 4 3 3 5 0",
     "Enemy_Info/Knight_Status_Info.txt:1:12: error: the symbol is 4 bytes, longer than the 3 its field holds: the "
     "game "
     "keeps the first 2"},
    {"map_form/map1/2.txt",
     Rows(3, std::string(59, ' ')) + std::string(61, '#') + "\n" + Rows(16, std::string(59, ' ')),
     "map_form/map1/2.txt:4:60: error: line is 61 characters long, more than the 59 a row holds: rows 5 to 20 are "
     "shifted"},
    {"map_form/map1/2.txt", Rows(19, std::string(59, ' ')) + std::string(62, '#') + "\n",
     "map_form/map1/2.txt:20:60: error: line is 62 characters long, more than the 59 a row holds: the characters from "
     "here on are not shown"},
    {"map_form/map1/3.txt", Rows(10, std::string(59, ' ')),
     "map_form/map1/3.txt:11:1: warning: the picture has 10 lines, fewer than 20: rows 11 to 20 are left free"},
    {"map_form/map1/4.txt",
     Rows(5, std::string(59, ' ')) + "\t" + std::string(58, ' ') + "\n" + Rows(14, std::string(59, ' ')),
     "map_form/map1/4.txt:6:1: warning: a tab is one wall cell that the terminal does not draw as one: use blanks"},
    {"mini_map/map1.txt", Rows(3, std::string(19, '.')) + std::string(18, '.') + "\n" + Rows(5, std::string(19, '.')),
     "mini_map/map1.txt:4:19: error: line is 18 characters long, fewer than the 19 a row holds: rows 5 to 9 are "
     "shifted"},
    {"map_info/map1/3.txt", "6\n1 1 10 4\n",
     "map_info/map1/3.txt:1:1: error: the count 6 is outside 0 to 5: the game reads 5 of them"},
    {"map_info/map1/2.txt", "1\n1 2 20 4\n1 3 30 10\n",
     "map_info/map1/2.txt:3:1: warning: the count is 1 but more numbers"},
    {"map_info/map1/2.txt", "1\n7 2 20 4\n",
     "map_info/map1/2.txt:2:1: error: kind 7 is not 1 to 4 (Pawn, Knight, Bishop, Rook): the game makes it a Rook"},
    {"map_info/map1/2.txt", "1\n1 9 20 4\n",
     "map_info/map1/2.txt:2:3: error: group size 9 is outside 1 to 7: the game puts up 7"},
    {"map_info/map1/1.txt", "1\n1 2 21 0\n", "map_info/map1/1.txt:2:5: warning: the enemy at (21, 0) stands on a wall"},
    {"map_info/map1/2.txt", "1\n1 2 -6 25\n",
     "map_info/map1/2.txt:2:5: error: the cell (-6, 25) is outside the map (columns 0 to 58, rows 0 to 19): the game "
     "places the enemy at (0, 19)"},
    {"map_info/map1/1.txt", "1\n1 2 70 4\n",
     "map_info/map1/1.txt:2:5: error: the cell (70, 4) is outside the map (columns 0 to 58, rows 0 to 19): the game "
     "places the enemy at (58, 4)"},
    {"Hero_Info/Hero_Status_Info.txt", std::string(kHero) + "0 0\n",
     "Hero_Info/Hero_Status_Info.txt:6:1: error: the hero starts on a wall at (0, 0) of map 1"},
    {"Hero_Info/Hero_Status_Info.txt", std::string(kHero) + "8 25\n",
     "Hero_Info/Hero_Status_Info.txt:6:3: error: the start cell (8, 25) is outside the map (columns 0 to 58, rows 0 to "
     "19): the game puts the hero at (8, 19)"},
    {"map_info/map1.txt", std::string(kMarks) + "12\n",
     "map_info/map1.txt:4:1: error: the start map 12 is not 1 to 9: the game starts on map 1"},
    {"map_info/map1.txt", "7 61 8\n9 29 13\n9 31 1\n1\n",
     "map_info/map1.txt:1:3: error: the Queen's mark (61, 8) is outside"},
    {"map_info/map1.txt", std::string(kMarks) + "1\n",
     "map_info/map1.txt:3:1: note: the strip opens rows 1 and 2 of map 9, columns 31 to 40 (20 wall cells freed), when "
     "the hero enters map 7 or map 9"},
    {"map_form/map1/3.txt", Rows(20, std::string(59, '#')),
     "map_form/map1/3.txt:1:1: warning: the hero can never reach map 3"},
    // Walls shut the cells (0, 1) and (1, 1) off from the rest of the map.
    {"map_form/map1/1.txt",
     Rows(1, "###" + std::string(56, ' ')) + Rows(1, "  #" + std::string(56, ' ')) +
         Rows(1, "###" + std::string(56, ' ')),
     "map_info/map1/1.txt:2:1: warning: the enemy at (0, 1) can never reach the hero"},
};

TEST_F(WorldCheckTest, EveryKindOfReportAtItsLineAndColumn) {
    for (const Case& c : kCases) {
        test::TempDir world{RANKS_WORLD_DIR};
        const auto path = world.Path() / c.file;
        std::filesystem::remove_all(path);
        if (c.removed) std::filesystem::remove(world.Path() / c.removed);
        if (c.content == "<dir>") std::filesystem::create_directory(path);
        else if (c.content != "<none>") world.Write(c.file, c.content);
        if (std::string(c.file) == "map_form/map1/1.txt") world.Write("map_info/map1/1.txt", "1\n1 2 0 1\n");
        // Where names are not case-sensitive (Windows) the game finds Map1.txt as map1.txt.
        if (c.removed && std::filesystem::exists(world.Path() / c.removed)) continue;
        const std::string report = authoring::FormatCheck(authoring::CheckWorld(world.Path().string()), "w");
        EXPECT_NE(report.find(c.line), std::string::npos) << c.line << "\n" << report;
        if (c.absent) {
            EXPECT_EQ(report.find(c.absent), std::string::npos) << c.absent << "\n" << report;
        }
    }
}

TEST_F(WorldCheckTest, ExitStatusTellsCleanFromErrorsFromNoWorld) {
    auto run = [](const std::string& world) { return test::CallWith(Main, {"ranks", "check", world}); };
    EXPECT_EQ(run(root()), 0);
    // The default world's one note is the strip: no code page 932 file is taken for UTF-8.
    EXPECT_NE(headless::PrintedOut().find(root() + ": 0 errors, 0 warnings, 1 note (--notes lists them)\n"),
              std::string::npos)
        << headless::PrintedOut();
    // For editors: paths as the folder was given, a cell column and a byte column on non-ASCII lines.
    dir.Write("Hero_Info/Hero_Status_Info.txt", std::string("アレン〜") + (kHero + 4) + "8 4\n");
    EXPECT_EQ(test::CallWith(Main, {"ranks", "check", root(), "--format=json"}), 0);
    EXPECT_NE(
        headless::PrintedOut().find("{\"file\": " + authoring::JsonString(root() + "/Hero_Info/Hero_Status_Info.txt") +
                                    ", \"line\": 1, \"column\": 7, "
                                    "\"byte_column\": 10, \"severity\": \"warning\""),
        std::string::npos)
        << headless::PrintedOut();
    dir.Write("map_info/map1/5.txt", "9\n");
    EXPECT_EQ(run(root()), 1);
    EXPECT_EQ(run(root() + "/Hero_Info"), 2);
    EXPECT_EQ(headless::PrintedError().find("ranks check: " + root() + "/Hero_Info holds none of the data folders"),
              0u);
}

// A map as the game reads it: the reached cells, the enemies, the passages,
// and a gap that the checker reports shows no passage.
TEST_F(WorldCheckTest, ShowDrawsTheMapAsRead) {
    authoring::CheckWorld(root());
    const std::string shown = authoring::ShowMap(5);
    for (const char* part : {"   +------vvvv-----", "10 <.......", " 9 |#.........................#####.........△",
                             " 5 |#.............|       |........"})
        EXPECT_NE(shown.find(part), std::string::npos) << part << "\n" << shown;
    dir.Write("map_form/map1/5.txt",
              Rows(19, std::string(59, ' ')) + std::string(20, '#') + "    " + std::string(35, '#') + "\n");
    authoring::CheckWorld(root());
    const std::string sealed = authoring::ShowMap(5);
    EXPECT_NE(sealed.find("   +------------------------------------------------------------+\n"), std::string::npos)
        << sealed;
}

// Pictures written in UTF-8 are measured as the game reads them.
TEST_F(WorldCheckTest, TheDefaultWorldsUtf8SourcesOnlyGetNotes) {
    const auto result = authoring::CheckWorld(RANKS_SOURCE_WORLD_DIR);
    EXPECT_EQ(result.errors + result.warnings, 0);
    EXPECT_GE(result.notes, 13);  // the strip, and every file written in UTF-8 beyond ASCII
}

// The repository's UTF-8 sources load into exactly the records that the
// build's code page 932 world gives.
TEST_F(WorldCheckTest, Utf8SourcesPlayAsTheConvertedWorld) {
    auto load = [](const std::string& root) {
        ResetGameState();
        headless::Reset();
        dataRoot = root;
        StartUp();
        auto bytes = [](const auto& record) {
            return std::string(reinterpret_cast<const char*>(&record), sizeof record);
        };
        return bytes(hero) + bytes(enemyTable) + bytes(abilityTable) + bytes(worldGrid) + bytes(miniMapText);
    };
    EXPECT_EQ(load(RANKS_SOURCE_WORLD_DIR), load(RANKS_WORLD_DIR));
}

}  // namespace
}  // namespace rf
