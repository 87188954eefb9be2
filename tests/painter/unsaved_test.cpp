// The painter's unsaved world: the checker's findings follow each edit,
// and a play-test plays it from a copy just as a save would leave it,
// while the author's own files stay as they were until the save.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "authoring/new_world.h"
#include "painter/painter.h"
#include "platform/keys.h"
#include "test_support.h"

namespace rf {
namespace {

namespace fs = std::filesystem;
using namespace platform::keys;

class UnsavedWorldTest : public test::GameTest {
protected:
    // A world of `ranks new`: the cursor starts where the hero does, on map 5 at 28,10.
    void SetUp() override {
        test::GameTest::SetUp();
        world = std::make_unique<test::TempDir>();
        std::string problem;
        ASSERT_TRUE(authoring::WriteNewWorld(world->Path().string(), problem)) << problem;
    }
    // Paints with `keys` (the checker as `ranks check` runs it) and says
    // the findings listed beside the map once the keys are used up.
    std::string Paint(const std::vector<int>& keys, std::function<int(const std::vector<std::string>&)> play) {
        for (int k : keys) headless::Key(k);
        RunScript([&] {
            painter::RunPainter({world->Path().string(), "ranks", "",
                                 [keys](const std::string& dir, const std::vector<HeldFile>& unsaved) {
                                     // The check's fresh headless session is handed the keys still to come.
                                     const std::size_t left = headless::KeysLeft();
                                     authoring::CheckResult result = authoring::CheckWorld(dir, unsaved);
                                     for (std::size_t i = keys.size() - left; i < keys.size(); ++i)
                                         headless::Key(keys[i]);
                                     return result;
                                 },
                                 std::move(play)});
        });
        std::string findings;
        for (int y = 8; y < kMapRows; ++y) findings += Row(y, 61, 19) + "|";
        return findings;
    }
    std::unique_ptr<test::TempDir> world;
};

TEST_F(UnsavedWorldTest, FindingsFollowTheEditsAndNothingIsWritten) {
    const struct {
        const char* name;
        std::vector<int> keys;
        const char* listed;  // the finding beside the map, "" for none
    } cases[] = {
        {"a wall painted under the start", {'i', '#', kEnter}, "28,10 on-wall"},
        {"a group put on a painted wall", {'j', 'i', '#', kEnter, 'h', 'e'}, "28,11 on-wall"},
        {"both undone", {'j', 'i', '#', kEnter, 'h', 'e', 'u', 'u'}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const auto before = test::FilesUnder(world->Path());
        const std::string findings = Paint(c.keys, nullptr);
        EXPECT_NE(findings.find(*c.listed != '\0' ? "指摘: 1" : "指摘: 0"), std::string::npos) << findings;
        EXPECT_NE(findings.find(c.listed), std::string::npos) << findings;
        EXPECT_EQ(test::FilesUnder(world->Path()), before);
    }
}

// Unsaved, the game plays a copy holding every file as the save then
// writes it, removed after; saved, it plays the world's own folder.
TEST_F(UnsavedWorldTest, APlayTestPlaysTheWorldAsASaveWouldLeaveIt) {
    const struct {
        const char* name;
        std::vector<int> keys;
        bool copied;
    } cases[] = {
        {"unsaved", {'i', '#', kEnter, 'j', 'e', 'P', kEnter, 's'}, true},
        {"saved", {'i', '#', kEnter, 'j', 'e', 's', 'P', kEnter}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const auto before = test::FilesUnder(world->Path());
        fs::path played;
        std::map<std::string, std::string> seen, ownWhilePlayed;
        Paint(c.keys, [&](const std::vector<std::string>& command) {
            played = command.at(2);
            EXPECT_EQ(command.at(4), "5,29,11");
            seen = test::FilesUnder(played);
            ownWhilePlayed = test::FilesUnder(world->Path());
            return 0;
        });
        EXPECT_EQ(played == world->Path(), !c.copied);
        EXPECT_EQ(ownWhilePlayed == before, c.copied);
        EXPECT_EQ(seen, test::FilesUnder(world->Path()));
        EXPECT_NE(seen.at("map_info/map1/5.txt"), before.at("map_info/map1/5.txt"));
        EXPECT_EQ(fs::exists(played), !c.copied);
    }
}

}  // namespace
}  // namespace rf
