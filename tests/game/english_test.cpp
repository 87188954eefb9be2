// The game in English: no Japanese on any frame of the game's scenarios,
// the item and ability menus and the missing-file stop included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/texts.h"
#include "field/missing_file.h"
#include "game_scenarios.h"
#include "test_support.h"
#include "text/utf8.h"

namespace rf {
namespace {

// Japanese writing: kana, kanji, their punctuation, full-width letters and
// digits. The frames' full-width lines and marks (＿ ／ ￣ ＜ ＞) are
// pictures, the same in every language.
bool IsJapanese(std::uint32_t c) {
    return (c >= 0x3001 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF10 && c <= 0xFF19) ||
           (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) || (c >= 0xFF61 && c <= 0xFF9F);
}

// The first row of the screen with Japanese on it, or "".
std::string JapaneseRow() {
    for (int y = 0; y < 25; ++y) {
        const std::string row = headless::RowUtf8(y);
        for (std::size_t i = 0; i < row.size();) {
            std::uint32_t c = 0;
            const std::size_t n = DecodeUtf8(row, i, c);
            if (n == 0) break;
            if (IsJapanese(c)) return row;
            i += n;
        }
    }
    return "";
}

const std::int16_t kEnglish = static_cast<std::int16_t>(LanguageIndex("en"));

TEST(English, NoFrameOfTheGamesScenariosShowsJapanese) {
    std::vector<scenario::Scenario> all = scenario::All();
    // In battle: each item, the second ability, a flight.
    for (const char* keys : {"DDEE*", "DDEDE*", "DDEDDE*", "EEDE*"})
        all.push_back({keys, scenario::World::kLevelUpSoon, 8, 10, "", keys, false});
    all.push_back({"flight", scenario::World::kOnePawn, 8, 10, "", "DDDEEEEEEEEE*", false});
    const test::TempDir scratch;
    std::string seen;
    for (const scenario::Scenario& s : all) {
        int frames = 0;
        std::string found;
        scenario::Play(
            s, RANKS_WORLD_DIR, scratch.Path() / "world",
            [&](bool) {
                ++frames;
                if (found.empty()) found = JapaneseRow();
                for (int y = 0; y < 25; ++y) seen += headless::RowUtf8(y) + "\n";
            },
            kEnglish);
        EXPECT_GT(frames, 0) << s.name;
        EXPECT_EQ(found, "") << s.name;
    }
    // What the scripts went through.
    for (const char* text : {"Allen regains", "attack goes up", "defence goes up", "Flame", "You go up a level",
                             "Magic defence", "You try to flee", "Move ... Arrow keys"})
        EXPECT_NE(seen.find(text), std::string::npos) << text;
}

TEST(English, TheMissingFileStopIsInEnglish) {
    ResetGameState();
    headless::Reset();
    language = kEnglish;
    try {
        StopForMissingFile();
    } catch (const headless::ExitCalled&) {
    }
    EXPECT_EQ(headless::RowUtf8(0).substr(0, 17), "A file is missing");
    EXPECT_EQ(JapaneseRow(), "");
    ResetGameState();
}

}  // namespace
}  // namespace rf
