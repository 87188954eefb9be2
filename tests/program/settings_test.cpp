// The settings' table as every reader of it sees it: each value through
// the settings file, a recording's header and the command line; the page's
// copies of the names; and a game started with each value of a setting that
// shapes the game, recorded and replayed to the same screen.
#include <fstream>
#include <iterator>
#include <regex>

#include "console/console.h"
#include "core/setting_table.h"
#include "platform/backend.h"
#include "platform/recording.h"
#include "program/options.h"
#include "replay/recording_file.h"
#include "replay/state_digest.h"
#include "saves/settings_file.h"
#include "test_support.h"

namespace rf::test {
namespace {

// The options that give a setting, as the usage spells them.
std::string OptionOf(SettingKey key) {
    switch (key) {
        case SettingKey::kMessages: return "--messages";
        case SettingKey::kLook: return "--look";
        case SettingKey::kLanguage: return "--lang";
        case SettingKey::kClassic: return "--classic";
        case SettingKey::kSpeech: return "--speech";
        case SettingKey::kExtraKeys: return "";  // the menu and the file only
    }
    return "";
}

// Every value of every setting comes back as it went: from the settings
// file, from a recording's header where the setting shapes the game, and
// from the command line where it has an option.
TEST(SettingTable, EveryValueComesBackFromTheFileTheHeaderAndTheCommandLine) {
    for (const SettingRow& row : AllSettings()) {
        for (int v = 0; v < ValueCount(row); ++v) {
            SCOPED_TRACE(std::string(row.name) + " " + std::string(ValueName(row, v)));
            Settings s, back;
            std::int16_t lang = 0, backLang = 0;
            KeepValue(row, s, lang, v);
            ParseSettings(ComposeSettings(s, lang), back, backLang);
            EXPECT_EQ(KeptValue(row, back, backLang), v);
            EXPECT_EQ(row.get(back, backLang), v) << "the file's value is in force at once";

            RecordingHeader h, read;
            h.world = "/worlds/one", h.worldDigest = "0123456789abcdef";
            row.set(h.played, h.language, v);
            std::size_t eventsAt = 0;
            std::string error;
            ASSERT_TRUE(ParseRecording(ComposeRecordingHeader(h), read, eventsAt, error)) << error;
            if (row.recorded != Recorded::kNot) {
                EXPECT_EQ(row.get(read.played, read.language), v);
            }

            if (OptionOf(row.key).empty()) continue;
            std::vector<std::string> words = {"ranks", OptionOf(row.key)};
            if (row.key != SettingKey::kSpeech) words.emplace_back(ValueName(row, v));
            else if (v != 0) continue;  // --speech alone is "on"
            std::vector<const char*> argv;
            for (const std::string& w : words) argv.push_back(w.c_str());
            Options o;
            ASSERT_TRUE(ParseOptions(static_cast<int>(argv.size()), argv.data(), o, error)) << error;
            EXPECT_EQ(GivenValue(o, row.key), v);
        }
    }
}

// A recording made today begins as recordings have begun since the header
// said how the game was played; older games read it.
TEST(SettingTable, TheRecordingsPlayedLineIsWrittenAsBefore) {
    struct Case {
        const char* name;
        Settings played;
        std::int16_t language;
        const char* lines;
    };
    const Case cases[] = {
        {"plain", {}, 0, "played messages wait extra-keys on look marked language ja\n"},
        {"everything else",
         {MessagePace::kInstant, false, true, true},
         1,
         "played messages instant extra-keys off look console language en\nclassic\n"},
        {"no language known", {MessagePace::kAuto}, -1, "played messages auto extra-keys on look marked\n"},
    };
    for (const Case& c : cases) {
        RecordingHeader h;
        h.played = c.played, h.language = c.language;
        const std::string header = ComposeRecordingHeader(h);
        const std::size_t from = header.find("played"), to = header.find("events\n");
        EXPECT_EQ(header.substr(from, to - from), c.lines) << c.name;
    }
}

std::string SourceFile(const std::string& relative) { return FileBytes(RANKS_SOURCE_DIR "/" + relative); }

// The page offers the values the game takes, under the option's and the
// settings file's names.
TEST(SettingTable, ThePagesChoicesAreTheTables) {
    struct Choice {
        const char* choice;  // in web/choices.js
        const char* picker;  // the <select> of web/index.html listing them; "" none
        SettingKey key;
    };
    const Choice kChoices[] = {
        {"lang", "", SettingKey::kLanguage},  // the languages made from po/
        {"look", "", SettingKey::kLook},
        {"pace", "pace", SettingKey::kMessages},
        {"classic", "", SettingKey::kClassic},
    };
    const std::string choices = SourceFile("web/choices.js"), page = SourceFile("web/index.html");
    ASSERT_FALSE(choices.empty() || page.empty());
    for (const Choice& c : kChoices) {
        SCOPED_TRACE(c.choice);
        const SettingRow& row = SettingOf(c.key);
        std::string listed;
        for (int v = 0; v < ValueCount(row); ++v)
            listed += (v == 0 ? "'" : ", '") + std::string(ValueName(row, v)) + "'";
        const std::string values = row.values.empty() ? "kLanguages.map((l) => l.code)" : "[" + listed + "]";
        const std::string option = OptionOf(c.key).substr(2);
        EXPECT_NE(choices.find(std::string(c.choice) + ": { param: '" + option + "', setting: '" +
                               std::string(row.name) + "', stored: 'ranks-" + option + "', values: " + values + " }"),
                  std::string::npos)
            << "choices.js lists " << values;
        EXPECT_NE(choices.find("'--" + option + "', chosen." + c.choice), std::string::npos);
        if (*c.picker == '\0') continue;
        const std::regex select("<select id=\"" + std::string(c.picker) + "\">([\\s\\S]*?)</select>");
        std::smatch found;
        ASSERT_TRUE(std::regex_search(page, found, select));
        std::string offered;
        const std::string options = found[1].str();
        const std::regex value("<option value=\"([^\"]*)\"");
        for (std::sregex_iterator it(options.begin(), options.end(), value), end; it != end; ++it)
            offered += (offered.empty() ? "'" : ", '") + (*it)[1].str() + "'";
        EXPECT_EQ(offered, listed) << "index.html's picker";
    }
    // The look's checkbox, and the language a shared recording was played in.
    const SettingRow& look = SettingOf(SettingKey::kLook);
    const std::string console(ValueName(look, 1)), marked(ValueName(look, 0));
    EXPECT_NE(SourceFile("web/page.js").find("checked ? '" + console + "' : '" + marked + "'"), std::string::npos);
    EXPECT_NE(SourceFile("web/page.js").find("choice('look') === '" + console + "'"), std::string::npos);
    const std::string share = SourceFile("web/share.js");
    const std::size_t from = share.find("/^played"), to = share.find("$/m", from);
    ASSERT_NE(to, std::string::npos);
    const std::regex played(share.substr(from + 1, to + 1 - (from + 1)));
    RecordingHeader h;
    h.world = "/worlds/one", h.worldDigest = "0123456789abcdef", h.language = 1;
    const std::string header = ComposeRecordingHeader(h);
    const std::size_t line = header.find("played");
    std::smatch said;
    const std::string playedLine = header.substr(line, header.find('\n', line) - line);
    EXPECT_TRUE(std::regex_match(playedLine, said, played) &&
                said[1].str() == ValueName(SettingOf(SettingKey::kLanguage), 1))
        << playedLine;
}

// The manual lists each row of the settings file with its values, and
// the manual's and the README's usage lines spell the options' values; the
// languages, which po/ holds, are LANG in both (`ranks --help` lists them).
TEST(SettingTable, TheManualAndTheReadmeSpellTheValuesAsTheTable) {
    std::string manual = SourceFile("man/ranks.6");
    const std::string readme = SourceFile("README.md");
    for (std::size_t at; (at = manual.find("\\-")) != std::string::npos;) manual.replace(at, 2, "-");
    for (const SettingRow& row : AllSettings()) {
        std::string listed = ".BR \"" + std::string(row.name) + " " + std::string(ValueName(row, 0)) + "\"";
        for (int v = 1; v < ValueCount(row); ++v) listed += " | " + std::string(ValueName(row, v));
        if (row.values.empty()) listed = ".BI \"" + std::string(row.name) + " \" LANG";
        const std::size_t at = manual.find(listed + " ");
        EXPECT_TRUE(at != std::string::npos &&
                    std::string_view(",.").find(manual[at + listed.size() + 1]) != std::string_view::npos)
            << listed;
    }
    struct Usage {
        SettingKey key;
        bool mayBeLeftOut;  // the option alone is "on"
    };
    for (const Usage u : {Usage{SettingKey::kLook, false}, Usage{SettingKey::kMessages, false},
                          Usage{SettingKey::kClassic, true}, Usage{SettingKey::kLanguage, false}}) {
        const SettingRow& row = SettingOf(u.key);
        const std::string man = ValueNames(row, " | ", " | "), plain = ValueNames(row, "|", "|");
        std::string inManual =
            ".RB [ " + OptionOf(u.key) + " \" \" " + (u.mayBeLeftOut ? "[ " + man + " ]]" : man + " ]");
        std::string inReadme = "[" + OptionOf(u.key) + " " + (u.mayBeLeftOut ? "[" + plain + "]]" : plain + "]");
        if (row.values.empty()) {
            inManual = ".RB [ " + OptionOf(u.key) + "\n.IR LANG ]";
            inReadme = "[" + OptionOf(u.key) + " LANG]";
        }
        EXPECT_NE(manual.find(inManual), std::string::npos) << inManual;
        EXPECT_NE(readme.find(inReadme), std::string::npos) << inReadme;
    }
}

#ifndef _WIN32
// A game started with each value of each setting that shapes the game is
// recorded, and its replay, wherever the settings file says otherwise,
// plays with the recorded value to the same screen and state.
class SettingsReplay : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            environment_.Set(name, folders_.Path().string());
        headless::SetLimits(100'000'000, 600'000);
    }
    void SettingsFile(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(SettingsFilePath()).parent_path());
        std::ofstream(SettingsFilePath(), std::ios::binary) << text;
    }
    TempDir world{RANKS_RECORDINGS_WORLD};
    TempDir folders_;
    ScopedEnvironment environment_;
};

TEST_F(SettingsReplay, AGameReplaysWithEachValueOfWhatShapesIt) {
    for (const SettingRow& row : AllSettings()) {
        if (row.recorded == Recorded::kNot) continue;
        for (int v = 0; v < ValueCount(row); ++v) {
            const std::string line = std::string(row.name) + " " + std::string(ValueName(row, v)) + "\n";
            SCOPED_TRACE(line);
            const std::string rec = (folders_.Path() / "game.rec").string();
            SettingsFile(line);
            headless::Reset();
            ResetGameState();
            // Steps by the arrows and the extra keys, and the menu opened and closed.
            headless::Arrow(headless::kDown);
            headless::Key('j');
            headless::Key('l');
            headless::Key(kKeySpace);
            headless::Arrow(headless::kRight);
            headless::Key(kKeySpace);
            headless::Arrow(headless::kRight);
            RunProgram({"--world", world.Path().string(), "--record", rec});
            platform::FlushRecording();
            ASSERT_EQ(row.get(settings, language), v) << "the game played with it";
            const std::vector<std::string> live = platform::HeadlessScreenLines();
            const std::string state = StateDigest();

            // The file now says the next value; the replay plays the recorded one.
            SettingsFile(std::string(row.name) + " " + std::string(ValueName(row, (v + 1) % ValueCount(row))) + "\n");
            headless::Reset();
            ResetGameState();
            RunProgram({"--replay", rec, "--headless"});
            EXPECT_EQ(row.get(settings, language), v);
            EXPECT_EQ(platform::HeadlessScreenLines(), live);
            EXPECT_EQ(StateDigest(), state);
            std::filesystem::remove(rec);
        }
    }
}
#endif

}  // namespace
}  // namespace rf::test
