// The world painter driven by its keys on the headless console: each edit
// writes its file byte for byte as expected, in the file's own encoding
// (UTF-8 or code page 932), its line ends and the notes after its values
// kept; a world opened and saved without a change, or with its changes
// undone, keeps every byte; a file changed on disk is not overwritten
// unasked. Then the painter in a real terminal: a sign typed through the
// terminal's UTF-8, played unsaved from the cursor and back, then saved.
#include "painter/painter.h"

#include <memory>

#include "authoring/new_world.h"
#include "painter/painted_world.h"
#include "platform/keys.h"
#include "test_support.h"
#include "text/cp932.h"

#if !defined(_WIN32)
#include "terminal_session.h"
#endif

namespace rf {
namespace {

namespace fs = std::filesystem;
using namespace platform::keys;
constexpr int kWall = kTypedCharacter + 0x58C1;  // 壁, typed through an input method

class PainterTest : public test::GameTest {
protected:
    // Runs the painter on `world` until its keys are used up.
    void Paint(const fs::path& world, const std::vector<int>& keys) {
        for (int k : keys) headless::Key(k);
        RunScript([&] { painter::RunPainter({world.string(), "ranks", "", nullptr, nullptr}); });
    }
};

// A world of `ranks new` whose map 5 (where the hero starts, at 28,10) is
// a frame of walls with a sign on its second row, in the encoding asked
// for; its enemy list and world file with Windows line ends and notes.
class PaintedMapTest : public PainterTest {
protected:
    static constexpr int kRow = 10;  // the start's row
    void MakeWorld(bool inUtf8) {
        dir = std::make_unique<test::TempDir>();
        std::string problem;
        ASSERT_TRUE(authoring::WriteNewWorld(World().Path().string(), problem)) << problem;
        rows.assign(kMapRows, "#" + std::string(57, ' ') + "#");
        rows[0] = std::string(59, '#');
        rows[1] = "# 看板です" + std::string(48, ' ') + "#";
        WritePicture(inUtf8);
        World().Write("map_info/map1/5.txt", "1\r\n1 1 10 5\r\n; notes stay\r\n");
        World().Write("map_info/map1.txt", "7 30 10\n9 30 10\n8 27 1\n5\n\nnotes stay\n");
        utf8 = inUtf8;
    }
    void WritePicture(bool asUtf8) {
        std::string text;
        for (const std::string& row : rows) text += (asUtf8 ? row : test::ToCp932(row)) + "\n";
        World().Write("map_form/map1/5.txt", text);
    }
    // The picture as expected, its start row changed to `row` (UTF-8).
    std::string Expected(const std::string& row) const {
        std::string text;
        for (int r = 0; r < kMapRows; ++r) {
            const std::string& shown = r == kRow ? row : rows[static_cast<std::size_t>(r)];
            text += (utf8 ? shown : test::ToCp932(shown)) + "\n";
        }
        return text;
    }
    // The start row with `text` from column `x`.
    std::string StartRow(int x, const std::string& text) const {
        std::string row = rows[kRow];
        std::size_t cells = 0;
        for (std::size_t i = 0; i < text.size(); i += (static_cast<unsigned char>(text[i]) >= 0x80 ? 3 : 1))
            cells += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        return row.replace(static_cast<std::size_t>(x), cells, text);
    }
    std::unique_ptr<test::TempDir> dir;
    const test::TempDir& World() const { return *dir; }
    std::vector<std::string> rows;
    bool utf8 = true;
};

struct PictureCase {
    const char* name;
    std::vector<int> keys;
    int column;        // where the start row changed
    const char* text;  // to what (UTF-8)
};

const PictureCase kPictureCases[] = {
    {"a wall typed", {'i', '#', kEnter, 's'}, 28, "#"},
    {"a full-width character takes two cells", {'i', kWall, kEnter, 's'}, 28, "壁"},
    {"half of one typed over blanks the other half",
     {'i', kWall, kEnter, kPrefix, kLeft, 'i', 'x', kEnter, 's'},
     28,
     " x"},
    {"Space and Enter put a blank and the last character", {'i', 'o', kEnter, ' ', kEnter, 's'}, 28, "o o"},
    {"a block filled with the last character",
     {'i', 'o', kEnter, 'v', kPrefix, kRight, kPrefix, kRight, 'f', 's'},
     28,
     "oooo"},
    {"a block cut and pasted", {'i', 'A', 'B', kEnter, 'v', 'h', 'x', 'l', 'l', 'p', 's'}, 28, "A  B"},
    {"undo takes back one character, redo puts it again", {'i', 'A', 'B', 'C', kEnter, 'u', 'u', 'r', 's'}, 28, "AB"},
    {"an edit after an undo leaves nothing to redo", {'i', 'A', 'B', kEnter, 'u', 'h', 'h', 'd', 'r', 's'}, 28, " "},
};

TEST_F(PaintedMapTest, EachEditWritesThePictureInItsOwnEncoding) {
    for (const bool asUtf8 : {true, false})
        for (const PictureCase& c : kPictureCases) {
            SCOPED_TRACE(std::string(c.name) + (asUtf8 ? " (UTF-8)" : " (code page 932)"));
            SetUp();
            MakeWorld(asUtf8);
            Paint(World().Path(), c.keys);
            EXPECT_EQ(World().Read("map_form/map1/5.txt"), Expected(StartRow(c.column, c.text)));
        }
}

// A picture with Windows line ends keeps them, on the painted line too.
TEST_F(PaintedMapTest, WindowsLineEndsAreKept) {
    MakeWorld(false);
    std::string text;
    for (const std::string& row : rows) text += test::ToCp932(row) + "\r\n";
    World().Write("map_form/map1/5.txt", text);
    Paint(World().Path(), {'i', kWall, kEnter, 's'});
    std::string expected;
    for (int r = 0; r < kMapRows; ++r)
        expected += test::ToCp932(r == kRow ? StartRow(28, "壁") : rows[static_cast<std::size_t>(r)]) + "\r\n";
    EXPECT_EQ(World().Read("map_form/map1/5.txt"), expected);
}

struct PieceCase {
    const char* name;
    std::vector<int> keys;
    const char* file;
    const char* expected;
};

// The cursor starts at 28,10 on map 5; a mark's cell counts from 1.
const PieceCase kPieceCases[] = {
    {"a group placed, its kind and size changed",
     {'e', 'e', '+', '+', 's'},
     "map_info/map1/5.txt",
     "2\r\n1 1 10 5\r\n2 3 28 10\r\n; notes stay\r\n"},
    {"a group moved leaves nothing where it stood",
     {'h', 'h', 'e', 'M', 'j', 'M', 'k', 'E', 's'},
     "map_info/map1/5.txt",
     "2\r\n1 1 10 5\r\n1 1 26 11\r\n; notes stay\r\n"},
    {"a group removed",
     {'e', 'l', 'l', 'e', 'h', 'h', 'E', 's'},
     "map_info/map1/5.txt",
     "2\r\n1 1 10 5\r\n1 1 30 10\r\n; notes stay\r\n"},
    {"the marks and the strip",
     {'Q', 'l', 'l', 'K', 'j', 'S', 's'},
     "map_info/map1.txt",
     "5 29 11\n5 31 11\n5 31 1\n5\n\nnotes stay\n"},
    {"a mark put twice on its cell is taken away",
     {'Q', 'Q', 's'},
     "map_info/map1.txt",
     "0 0 0\n9 30 10\n8 27 1\n5\n\nnotes stay\n"},
    {"the start moved to another map",
     {'1', 'H', 's'},
     "map_info/map1.txt",
     "7 30 10\n9 30 10\n8 27 1\n1\n\nnotes stay\n"},
};

TEST_F(PaintedMapTest, EnemiesMarksAndTheStartAreWrittenBesideTheNotes) {
    for (const PieceCase& c : kPieceCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MakeWorld(true);
        const auto before = test::FilesUnder(World().Path());
        Paint(World().Path(), c.keys);
        EXPECT_EQ(World().Read(c.file), c.expected);
        // Nothing else was written.
        auto after = test::FilesUnder(World().Path());
        after[c.file] = before.at(c.file);
        EXPECT_EQ(after, before);
    }
}

// Replaced, the file keeps who may read it.
TEST_F(PaintedMapTest, TheStartCellIsPutInTheHeroFileAlone) {
    MakeWorld(true);
    const fs::path file = World().Path() / "Hero_Info/Hero_Status_Info.txt";
    const std::string hero = World().Read("Hero_Info/Hero_Status_Info.txt");
    fs::permissions(file,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    const fs::perms before = fs::status(file).permissions();
    Paint(World().Path(), {'l', 'j', 'H', 's'});
    std::string expected = hero;
    expected.replace(expected.find("28 10"), 5, "29 11");
    EXPECT_EQ(World().Read("Hero_Info/Hero_Status_Info.txt"), expected);
    EXPECT_EQ(fs::status(file).permissions(), before);
}

// The repository's world (UTF-8 and ASCII files) and the recordings' (code
// page 932): saved untouched, or after changes all undone, not one byte
// differs, and nothing is written where nothing changed.
TEST_F(PainterTest, AWorldSavedWithoutChangesKeepsEveryByte) {
    const struct {
        const char* name;
        std::vector<int> keys;
    } cases[] = {
        {"saved at once", {'s'}},
        {"changes undone", {'i', kWall, 'x', kEnter, 'e', 'Q', 'H', 'S', 'u', 'u', 'u', 'u', 'u', 'u', 's'}},
        {"a blank on a blank", {'9', 'j', ' ', 's'}},
    };
    for (const char* source : {RANKS_SOURCE_WORLD_DIR, RANKS_RECORDINGS_WORLD})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(source) + ": " + c.name);
            SetUp();
            test::TempDir world{fs::path(source)};
            const auto before = test::FilesUnder(world.Path());
            Paint(world.Path(), c.keys);
            EXPECT_EQ(test::FilesUnder(world.Path()), before);
        }
}

// A file changed by another program since the painter read it: the save
// asks, and "n" leaves the other program's bytes; "y" writes the painter's.
// One the save does not write is none of its business.
TEST_F(PaintedMapTest, AFileChangedOnDiskIsOverwrittenOnlyWhenTheAuthorSaysSo) {
    const struct {
        const char* name;
        bool paintedFileChanged;
        std::vector<int> keys;  // after the save's
        bool written;
    } cases[] = {
        {"n keeps the other program's", true, {'n'}, false},
        {"y writes the painter's", true, {'y'}, true},
        {"another file changed: no question", false, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MakeWorld(true);
        int reads = 0;
        headless::SetKeyObserver([&] {
            if (++reads != 4) return;
            if (c.paintedFileChanged) World().Write("map_form/map1/5.txt", "changed elsewhere\n");
            World().Write("map_form/map1/4.txt", "a file the save leaves alone\n");
        });
        std::vector<int> keys = {'i', '#', kEnter, 's'};
        keys.insert(keys.end(), c.keys.begin(), c.keys.end());
        Paint(World().Path(), keys);
        headless::SetKeyObserver(nullptr);
        EXPECT_EQ(World().Read("map_form/map1/5.txt"), c.written ? Expected(StartRow(28, "#")) : "changed elsewhere\n");
        EXPECT_EQ(World().Read("map_form/map1/4.txt"), "a file the save leaves alone\n");
    }
}

// Quitting with unsaved changes asks: Esc stays, "n" quits without a save,
// "y" saves and quits.
TEST_F(PaintedMapTest, QuittingWithUnsavedChangesAsks) {
    const struct {
        const char* name;
        std::vector<int> keys;
        bool saved, quit;
    } cases[] = {
        {"Esc stays", {'q', kEscape, 'i'}, false, false},
        {"n quits unsaved", {'q', 'n'}, false, true},
        {"y saves, then quits", {'q', 'y'}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MakeWorld(true);
        std::vector<int> keys = {'i', '#', kEnter};
        keys.insert(keys.end(), c.keys.begin(), c.keys.end());
        for (int k : keys) headless::Key(k);
        bool returned = false;
        RunScript([&] {
            returned = painter::RunPainter({World().Path().string(), "ranks", "", nullptr, nullptr}) == 0;
        });
        EXPECT_EQ(returned, c.quit);
        EXPECT_EQ(World().Read("map_form/map1/5.txt") == Expected(StartRow(28, "#")), c.saved);
    }
}

// What the author sees: the map as the field draws it, the start's hero,
// the cursor's cell as --start takes it with the character and its width
// (and the hero or a mark standing there), the mark alone as the cursor,
// a full-width character in its two cells, and the checker's findings
// listed beside the map with their codes, the next one jumped to.
TEST_F(PaintedMapTest, TheScreenShowsTheCellTheCharacterAndTheFindings) {
    MakeWorld(true);
    World().Write("map_info/map1/5.txt", "1\n1 1 30 1\n");  // a Pawn in the sign's wall
    headless::Reset();
    ResetGameState();
    for (int k : std::vector<int>{'j', 'i', kWall, kEnter, 'h', 'n', 'z'}) headless::Key(k);
    std::vector<std::string> screens;
    headless::SetKeyObserver(
        [&] { screens.push_back(Row(11) + "|" + Row(20) + "|" + Row(24) + "|" + Row(9, 61, 19)); });
    RunScript([&] {
        painter::RunPainter({World().Path().string(), "ranks", "",
                             [](const std::string&, const std::vector<HeldFile>&) {
                                 authoring::CheckResult r;
                                 r.remarks.push_back({"map_info/map1/5.txt", 2, 7, 7, Severity::kWarning,
                                                      "the enemy at (30, 1) stands on a wall", Rule::kOnWall, 7});
                                 return r;
                             },
                             nullptr});
    });
    headless::SetKeyObserver(nullptr);
    // The mark is the cursor: a terminal's own would turn it back to plain.
    EXPECT_FALSE(headless::Screen().CursorVisible());
    ASSERT_EQ(screens.size(), 7u);
    EXPECT_NE(screens[0].find("マス 5,28,10  [ ] 幅 1  ●"), std::string::npos) << screens[0];
    EXPECT_NE(screens[5].find("#                           壁"), std::string::npos) << screens[5];
    EXPECT_NE(screens[5].find("マス 5,29,11  [壁] 幅 2"), std::string::npos) << screens[5];
    EXPECT_NE(screens[5].find("30,1 on-wall"), std::string::npos) << screens[5];
    EXPECT_NE(screens[6].find("マス 5,30,1"), std::string::npos) << screens[6];
    EXPECT_NE(screens[6].find("on-wall map_info/map1/5.txt:2: the enemy"), std::string::npos) << screens[6];
}

#if !defined(_WIN32)
class PainterInTerminal : public test::TerminalTest {};

// The real binary: an empty folder made into a world after asking, a sign
// typed in UTF-8 through the terminal, played unsaved from the cursor's
// cell until Ctrl+C brings the painter back, then saved in the file's
// encoding, and the terminal as it was after quitting.
TEST_F(PainterInTerminal, MakesAWorldPaintsASignPlaysFromTheCursorAndComesBack) {
    const fs::path folder = dir.Path() / "mine";
    fs::create_directory(folder);
    test::TerminalSession s;
    StartGame(s, {"edit", folder.string()});
    ASSERT_TRUE(s.WaitForText("ranks new"));
    s.SendKeys({"y"});
    ASSERT_TRUE(s.WaitForText("マス 5,28,10", std::chrono::seconds(10)));
    s.SendKeys({"i"});
    s.Tmux("send-keys -l " + test::Quote("宝箱"));
    s.SendKeys({"Enter", "P"});
    ASSERT_TRUE(s.WaitForText("ここから遊ぶレベル"));
    s.SendKeys({"5", "Enter"});
    ASSERT_TRUE(s.WaitForText("メニュー", std::chrono::seconds(10)));
    EXPECT_TRUE(s.ScreenContains("宝箱"));  // the unsaved sign, in the game
    s.SendKeys({"C-c"});
    ASSERT_TRUE(s.WaitForText("テストプレイから戻りました", std::chrono::seconds(10)));
    EXPECT_TRUE(s.ScreenContains("マス 5,32,10"));
    EXPECT_TRUE(test::SaveNames(s.SaveFolder()).empty());
    EXPECT_EQ(dir.Read("mine/map_form/map1/5.txt").find("宝箱"), std::string::npos);
    s.SendKeys({"s"});
    ASSERT_TRUE(s.WaitForText("保存しました"));
    EXPECT_NE(dir.Read("mine/map_form/map1/5.txt").find("宝箱"), std::string::npos);
    s.SendKeys({"q"});
    ExpectEnd(s, 0);
}
#endif

}  // namespace
}  // namespace rf
