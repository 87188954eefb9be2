// The languages: every text of every language there and fitting its field;
// the game in English, with no Japanese on any frame of the game's
// scenarios, a battle against each kind with each ability, the items and
// the missing-file stop included.
#include "core/texts.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "field/missing_file.h"
#include "game_scenarios.h"
#include "platform/model/terminal_renderer.h"
#include "test_support.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf {
namespace {

// What a gap can hold at most: an enemy's name, a five-digit number.
constexpr int kNameCells = 19;
constexpr int kNumberCells = 5;

// Cells a text takes once its gaps are filled at their widest (code page
// 932 has one byte per cell).
int WidestCells(std::string_view text) {
    int cells = 0;
    for (char c : text) cells += c == kNameGap ? kNameCells : c == kNumberGap ? kNumberCells : 1;
    return cells;
}

// Every text of every language is there, fits its field, takes what the
// English one takes, and holds no byte that would move the cursor. (Texts
// in either language are in every recorded game and the English tests below.)
TEST(Catalogue, EveryTextOfEachKnownLanguageIsThereAndFits) {
    EXPECT_EQ(LanguageIndex("xx"), -1);
    for (int l = 0; l < kLanguageCount; ++l) {
        for (int n = 0; n < kTextCount; ++n) {
            const std::string_view text = kCatalogue[l][n];
            const std::string_view source = kCatalogue[kSourceLanguage][n];
            const std::string where = std::string(kLanguageCodes[l]) + " " + std::string(kTextEntries[n].name);
            EXPECT_FALSE(text.empty()) << where << " is not translated";
            EXPECT_LE(WidestCells(text), kTextEntries[n].cells) << where << " is too wide";
            for (char gap : {kNameGap, kNumberGap})
                EXPECT_EQ(std::count(text.begin(), text.end(), gap), std::count(source.begin(), source.end(), gap))
                    << where << " does not take what the English text takes";
            EXPECT_TRUE(std::none_of(text.begin(), text.end(),
                                     [](char c) { return c >= 0 && c < 0x20 && c != kNameGap && c != kNumberGap; }))
                << where << " holds a control byte";
            // A glyph of ambiguous width (an arrow, ×, ―) is one cell in
            // many fonts and terminals and two in code page 932: a hole or
            // an overlap. Every two-byte character must be wide everywhere.
            const std::string utf8 = Cp932ToUtf8(text);
            std::uint32_t cp = 0;
            for (std::size_t i = 0, step = 1; i < utf8.size(); i += step) {
                step = std::max<std::size_t>(1, DecodeUtf8(utf8, i, cp));
                const bool oneByte = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
                EXPECT_TRUE(oneByte || platform::TerminalRenderer::IsWide(cp))
                    << where << " draws U+" << std::hex << cp;
            }
        }
    }
}

// The default language of po/LINGUAS, English, the texts' own, then the
// others there, so that a new one moves none: the game's, and the page's
// (made by the build), each named there in its own words.
TEST(Catalogue, EveryListOfLanguagesIsPoLinguas) {
    std::istringstream linguas(test::FileBytes(RANKS_SOURCE_DIR "/po/LINGUAS"));
    std::string codes;
    for (std::string line; std::getline(linguas, line);) {
        std::istringstream words(line);
        for (std::string code; line[0] >= 'a' && line[0] <= 'z' && words >> code;)
            codes += code + (codes.empty() ? ", en, " : ", ");
    }
    EXPECT_EQ(KnownLanguages(), codes.empty() ? "en" : codes.substr(0, codes.size() - 2));
    std::string page;
    for (int l = 0; l < kLanguageCount; ++l)
        page += "  { code: '" + std::string(kLanguageCodes[l]) + "', name: \"" +
                Cp932ToUtf8(TextIn(l, TextId::kLanguageName)) + "\" },\n";
    EXPECT_NE(test::FileBytes(RANKS_PAGE_LANGUAGES).find("[\n" + page + "];"), std::string::npos) << page;
}

// The first row of the screen with Japanese on it, or "".
std::string JapaneseRow() {
    for (int y = 0; y < 25; ++y)
        if (const std::string row = headless::RowUtf8(y); test::HasJapanese(row)) return row;
    return "";
}

const std::int16_t kEnglish = static_cast<std::int16_t>(LanguageIndex("en"));

TEST(English, NoFrameOfTheGamesScenariosShowsJapanese) {
    // The items and flights are in the recorded games, replayed in English below; here every ability, which
    // the recorded games' low levels do not open, against each kind at the top level.
    std::vector<scenario::Scenario> all = scenario::All();
    std::vector<std::string> keys;
    for (int ability = 0; ability < 5; ++ability) keys.push_back("EE" + std::string(ability, 'D') + "E*");
    for (int kind = 1; kind <= 4; ++kind)
        for (const std::string& k : keys)
            all.push_back({k.c_str(), scenario::World::kOnePawn, 8, 10, "", k.c_str(), false, kind, 25});
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
        EXPECT_GT(frames, 0) << s.name << " " << s.enemyKind;
        EXPECT_EQ(found, "") << s.name << " " << s.enemyKind;
        EXPECT_TRUE(s.level == 0 || journey.battlesWon == 1) << s.name << " " << s.enemyKind;
    }
    // What the scripts went through.
    for (const char* text : {"You go up a level", "Magic defence", "Move ... Arrow keys", "Pawn", "Knight", "Bishop",
                             "Rook", "Sword Cut", "Flame", "Spin Slash", "Hellfire", "Obedience"})
        EXPECT_NE(seen.find(text), std::string::npos) << text;
}

// A recording replayed in `lang` on the recordings' world with the default
// world's translation: the records' digest at its end, and the first row
// with Japanese on any frame ("" for none). The state digest holds the
// message window's words, so the game is compared by its records.
std::pair<std::string, std::string> Replayed(const std::filesystem::path& rec, const std::filesystem::path& world,
                                             std::int16_t lang) {
    std::string found;
    test::ReplayHeadless(rec, world, [&] { found = found.empty() ? JapaneseRow() : found; },
                         {"--lang", std::string(kLanguageCodes[lang])});
    std::string records = testing::PrintToString(
        std::tuple(battleRandom.state, hero.level, hero.exp, hero.hp, hero.maxHp, hero.attack, hero.mapNumber,
                   hero.fieldX, hero.fieldY, journey.battlesWon, journey.battlesLost, journey.battlesFled,
                   journey.mapsVisited, fieldEnemies.count, itemEffects.activeEffects));
    for (const auto& item : hero.items) records += " " + std::to_string(item.count);
    return {records, found};
}

// Every recorded game (all nine maps, battles with every kind, the items,
// level-ups, the menu) replayed in the other language: the same game, with
// no Japanese on any frame in English.
TEST(English, EveryRecordedGameReplaysInEitherLanguageAsTheSameGame) {
    const test::TempDir world{RANKS_RECORDINGS_WORLD};
    std::filesystem::copy(std::filesystem::path(RANKS_WORLD_DIR) / "translations", world.Path() / "translations");
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RANKS_RECORDINGS_DIR)) {
        if (entry.path().extension() != ".rec") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const auto ja = Replayed(entry.path(), world.Path(), 0);
        const auto en = Replayed(entry.path(), world.Path(), kEnglish);
        EXPECT_EQ(en.first, ja.first);
        EXPECT_NE(ja.second, "");
        EXPECT_EQ(en.second, "");
        ++replayed;
    }
    EXPECT_GE(replayed, 5);
    ResetGameState();
}

TEST(English, TheMissingFileStopIsInEnglish) {
    ResetGameState();
    headless::Reset();
    language = kEnglish;
    EXPECT_THROW(StopForMissingFile(), headless::ExitCalled);
    EXPECT_EQ(headless::RowUtf8(0).substr(0, 17), "A file is missing");
    EXPECT_EQ(JapaneseRow(), "");
    ResetGameState();
}

}  // namespace
}  // namespace rf
