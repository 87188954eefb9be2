// The real game binary, outside a terminal and in one (a tmux pane): the
// whole game as a player sees it; and its saved games: every way out saves,
// the farewell's command resumes, one game plays in one window, and saves
// hold where nothing locks, where the player cannot write and under any
// clock. (The terminal taken and given back is the terminal backend's test;
// what a quit in battle saves is the autosave test's.)
#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/world_folder.h"
#include "platform/model/terminal_renderer.h"
#include "saves/save_files.h"
#include "ssip_server.h"
#include "terminal_session.h"
#include "vt_screen.h"

namespace rf::test {
namespace {

TEST(RealBinaryCommandLine, StatusAndWhichStreamCarriesTheText) {
    struct Run {
        const char* args;
        const char* out;  // a part of each stream ("" for none at all)
        const char* err;
        int status;
    };
    for (auto [args, out, err, status] : {Run{"--help", "usage: ranks", "", 0},
                                          {"--version", "ranks ", "", 0},
                                          {"--bogus", "", "unknown option '--bogus' (ranks --help", 2},
                                          {"'\x1b]0;t\x07'", "", "'\\x1b]0;t\\x07'", 2},
                                          {"--world", "", "--world needs a value", 2},
                                          {"", "", "terminal", 1}}) {  // no escape sequences into a file
        SCOPED_TRACE(args);
        TempDir dir;
        const std::string line = "cd " + Quote(dir.Path().string()) + " && " + Quote(RANKS_BINARY) + " " + args;
        const int raw = std::system((line + " > out 2> err < /dev/null").c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, status);
        for (auto [file, part] : {std::pair{"out", out}, std::pair{"err", err}}) {
            const std::string text = dir.Read(file);
            EXPECT_TRUE(*part ? text.find(part) != std::string::npos : text.empty()) << file << ": " << text;
        }
    }
}

using namespace std::chrono_literals;

// Lines without their trailing blanks, as tmux captures them.
std::vector<std::string> Trimmed(std::vector<std::string> lines) {
    for (auto& line : lines) line.erase(line.find_last_not_of(' ') + 1);
    return lines;
}

class GameInTerminal : public TerminalTest {
protected:
    // The default world with map 1 replaced: open ground with a wall bar at
    // columns 10 and 11 (rows 9 to 13), a thin wall "|" at column 20 of row
    // 10 and a full-width "■" at columns 30 and 31 of row 12; the hero
    // starts at (4, 10) and `enemies` is map 1's list.
    void WriteWorld(const std::string& enemies) {
        std::filesystem::copy(RANKS_WORLD_DIR, dir.Path(), std::filesystem::copy_options::recursive);
        std::string picture;
        for (int y = 0; y < 20; ++y) {
            std::string row(59, ' ');
            if (y >= 9 && y <= 13) row[10] = row[11] = '#';
            if (y == 10) row[20] = '|';
            if (y == 12) row.replace(30, 2, ToCp932("■"));
            picture += row + "\n";
        }
        dir.Write("map_form/map1/1.txt", picture);
        dir.Write("map_info/map1/1.txt", enemies);
        dir.WriteText("Hero_Info/Hero_Status_Info.txt", HeroFile{}.Text());
    }
    // The headless screen as tmux shows it: ambiguous glyphs one cell wide.
    static std::vector<std::string> HeadlessLines() {
        platform::TerminalRenderer renderer(platform::Colours::kNone);
        renderer.SetAmbiguousWidth(1);
        VtScreen terminal(1);
        terminal.Feed(renderer.Frame(headless::Screen()));
        std::vector<std::string> lines;
        for (int y = 0; y < 25; ++y) lines.push_back(terminal.Row(y));
        return Trimmed(lines);
    }
    // Runs the headless game until `untilMs` of game time.
    static void RunHeadlessUntil(std::int64_t untilMs) {
        headless::RunUntil(untilMs);
        headless::SetLimits(100'000'000, untilMs);
        try {
            MainLoop();
        } catch (const headless::Watchdog&) {
        }
    }
};

// Two Pawns walk through the walls until the bar stops them: the thin wall
// and the full-width one show again behind them, and the hero then walks.
TEST_F(GameInTerminal, EnemiesCrossingWallsAndTheHerosStepsShowExactlyAsHeadless) {
    WriteWorld("2\n1 1 24 10\n1 1 35 12\n");
    NewGameOn(dir.Path());
    RunHeadlessUntil(8'000);
    const auto settled = HeadlessLines();
    ASSERT_EQ(settled[10] + "/" + settled[12], "    ●     ##◎       |/          ##                  ■");
    const std::vector<std::string> keys = {"Left", "Left", "Right", "Right", "Right"};
    std::int64_t at = 8'000;
    for (const auto& k : keys) headless::Arrow(k == "Left" ? 75 : 77, at += 300);
    RunHeadlessUntil(at + 2'000);
    const auto walked = HeadlessLines();

    TerminalSession s;
    StartGame(s, {}, true);
    EXPECT_TRUE(WaitUntil([&] { return Trimmed(s.Capture()) == settled; }, 15s));
    for (const auto& k : keys) s.SendKeys({k});
    EXPECT_TRUE(WaitUntil([&] { return Trimmed(s.Capture()) == walked; }, 5s));
    s.SendKeys({"C-c"});
    ExpectEnd(s, std::nullopt);
}

// Ctrl+C during a pause, such as this notice, is TerminalTest's above.
TEST_F(GameInTerminal, MissingMapFileShowsTheNoticeAndExits255ThirtySecondsLater) {
    HeroFile weak{
        .name = "Hero", .maxHp = 10, .nextExp = 10, .potions = 1, .proteins = 1, .bucklers = 1, .x = 5, .y = 5};
    weak.attack = weak.defence = weak.magicAttack = weak.magicDefence = weak.speed = 1;
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", weak.Text());
    TerminalSession s;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.Start(dir.Path()));
    ASSERT_TRUE(s.WaitForText(" 30 秒後に強制終了しますので手動で閉じないでください。"));
    const auto lines = s.Capture();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0] + lines[1] + lines[2] + lines[3],
              "ファイルが存在しないため情報の初期化に失敗しました。"
              "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。"
              "ファイルが見つからない場合はもう一度ダウンロードしてください。"
              " 30 秒後に強制終了しますので手動で閉じないでください。");
    s.SendKeys({"Enter", "x", "Up"});  // keys change nothing
    ExpectEnd(s, 255, 40s);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 29s);
    // Below the shell's restored screen, the file and why.
    EXPECT_TRUE(s.ScreenContains("ranks: map_form/map1/1.txt: missing")) << s.Tmux("capture-pane -p");
}

// A replay says in the terminal's title that it is one, when it is paused
// and when it has ended; the screen itself stays the game's.
TEST_F(GameInTerminal, AReplayShowsItsStateInTheTitle) {
    const std::string recording = std::string(RANKS_RECORDINGS_WORLD) + "/../walk_nine_maps.rec";
    TerminalSession s;
    auto title = [](TerminalSession& t) { return t.Tmux("display-message -p '#{pane_title}'"); };
    auto titleHas = [&](TerminalSession& t, const char* text, std::chrono::milliseconds within = 3s) {
        return WaitUntil([&] { return title(t).find(text) != std::string::npos; }, within);
    };
    StartGame(s, {"--replay", recording, "--world", RANKS_RECORDINGS_WORLD}, true);
    EXPECT_TRUE(titleHas(s, "replay (Space pauses")) << title(s);
    s.SendKeys({"Space"});
    ASSERT_TRUE(titleHas(s, "replay PAUSED")) << title(s);
    const auto paused = s.Capture();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(s.Capture(), paused);
    s.SendKeys({"Space"});
    EXPECT_TRUE(titleHas(s, "replay (Space pauses")) << title(s);
    Interrupt(s);

    TerminalSession fast;
    ASSERT_TRUE(fast.Start(dir.Path(), {"--replay", recording, "--world", RANKS_RECORDINGS_WORLD, "--speed", "max"}));
    ASSERT_TRUE(titleHas(fast, "replay ENDED", 10s)) << title(fast);
    EXPECT_TRUE(fast.ScreenContains("Enemy View"));  // where the recording ends
    fast.SendKeys({"x"});
    ExpectEnd(fast, 0);
}

// In English in a real terminal: the field, the menu and a battle show no
// Japanese, and the field's rows stand where the Japanese ones do.
TEST_F(GameInTerminal, EnglishShowsNoJapaneseOnTheFieldTheMenuOrInBattle) {
    const TempDir world{RANKS_RECORDINGS_WORLD};  // with the default world's translation
    std::filesystem::copy(std::filesystem::path(RANKS_WORLD_DIR) / "translations", world.Path() / "translations");
    TerminalSession s;
    StartGame(s, {"--world", world.Path().string(), "--lang", "en"}, true);
    auto japanese = [&] {
        const std::string screen = s.Tmux("capture-pane -p");
        return HasJapanese(screen) ? screen : "";
    };
    EXPECT_EQ(japanese(), "");
    EXPECT_NE(s.Capture().at(0).find("_____MiniMap_____"), std::string::npos);
    s.SendKeys({"Space"});
    ASSERT_TRUE(s.WaitForText("Status"));
    EXPECT_EQ(japanese(), "");
    s.SendKeys({"Space"});
    ASSERT_TRUE(s.WaitForText("Enemy View", 15s));  // the pawn beside the start comes
    ASSERT_TRUE(s.WaitForText("Fight"));
    EXPECT_EQ(japanese(), "");
    Interrupt(s);
}

// Played by ear, through Speech Dispatcher's real client library and a
// stand-in server: only what is said leads the keys. The hero bumps the
// bar, passes a sign, hears the Pawn come, uses a potion, wins with a
// level-up, and walks the menu; field lines may be cut, a battle's not.
class SpeechInTerminal : public GameInTerminal {
protected:
    void SetUp() override {
        GameInTerminal::SetUp();
        if (IsSkipped()) return;
        if (std::system("ldconfig -p 2>/dev/null | grep -q 'libspeechd\\.so\\.2 '") != 0)
            GTEST_SKIP() << "Speech Dispatcher's library is not installed (libspeechd2)";
    }
    // The game with speech on, saying it to `server`.
    void StartSpeaking(TerminalSession& s, SsipServer& server, std::vector<std::string> args) {
        std::vector<std::string> line = {"SPEECHD_ADDRESS=" + server.Address(),
                                         "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                                         RANKS_BINARY,
                                         "--speech",
                                         "--messages",
                                         "instant"};
        line.insert(line.end(), args.begin(), args.end());
        ASSERT_TRUE(s.Start(dir.Path(), line, "env"));
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", 10s));
    }
    TempDir sockets;
};

TEST_F(SpeechInTerminal, AWallASignAnEnemyABattleAndTheMenuAreSaid) {
    WriteWorld("1\n1 1 2 19\n");
    // A sign over the hero's way, off the Pawn's.
    std::string picture = dir.Read("map_form/map1/1.txt");
    picture.replace(60 * 8 + 2, 8, ToCp932("よろしく"));
    dir.Write("map_form/map1/1.txt", picture);
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", HeroFile{.attack = 60, .speed = 30, .exp = 69}.Text());
    SsipServer server(sockets.Path() / "speechd.sock");
    TerminalSession s;
    StartSpeaking(s, server, {});
    ASSERT_GE(server.WaitFor("マップ1　レベル1　HP40。"), 0);
    std::size_t at = server.Count();
    s.SendKeys({"Right", "Right", "Right"});  // (8, 10); the bar stops the third
    EXPECT_GE(server.WaitFor("右は壁。", at), 0);
    at = server.Count();
    s.SendKeys({"Up"});
    EXPECT_GE(server.WaitFor("看板「よろしく」。", at), 0);
    EXPECT_GE(server.WaitFor("ポーンが", at, 15s), 0);  // nearer, or about to reach him
    ASSERT_GE(server.WaitFor("バトル開始：ポーン", at, 15s), 0) << server.Transcript() << s.Tmux("capture-pane -p");
    // A potion: the item's command, the potion, then every message acknowledged.
    at = server.Count();
    s.SendKeys({"Down", "Down"});
    ASSERT_GE(server.WaitFor("アイテム：アイテムを使う。", at), 0);
    s.SendKeys({"Enter"});
    ASSERT_GE(server.WaitFor("ポーション：体力を", at), 0);
    for (int i = 0; i < 20 && server.WaitFor("主人公 HP", at, 300ms) < 0; ++i) s.SendKeys({"Enter"});
    ASSERT_GE(server.WaitFor("主人公 HP", at), 0);
    // Out of the item menu once it stands again and its quiet after a use
    // has passed (it drops keys that come sooner), then fight until the
    // field comes back.
    ASSERT_GE(server.WaitFor("ポーション：体力を20回復する。持っている数 4", at), 0);
    std::this_thread::sleep_for(500ms);
    at = server.Count();
    s.SendKeys({"Space", "Up", "Up"});
    ASSERT_GE(server.WaitFor("たたかう：", at), 0) << server.Transcript() << s.Tmux("capture-pane -p");
    for (int i = 0; i < 40 && server.WaitFor("マップ1", at, 300ms) < 0; ++i) s.SendKeys({"Enter"});
    ASSERT_GE(server.WaitFor("マップ1", at), 0);
    for (const char* part : {"対象：ポーン  1番", "のダメージ", "レベル 1 から 2 (+1)。", "経験値"})
        EXPECT_GE(server.WaitFor(part, at, 1s), 0) << part;
    // The menu: a page, the settings' Speech row with its value, closed.
    at = server.Count();
    s.SendKeys({"Space"});
    EXPECT_GE(server.WaitFor("メニュー つよさ：", at), 0);
    s.SendKeys({"Left", "Left"});
    EXPECT_GE(server.WaitFor("メニュー せってい：言語", at), 0);
    s.SendKeys({"Up"});
    EXPECT_GE(server.WaitFor("読み上げ", at), 0);
    s.SendKeys({"Space"});
    const std::size_t closed = server.Count();
    EXPECT_GE(server.WaitFor("マップ1", closed > 0 ? closed - 1 : 0), 0);
    Interrupt(s);
    // Field lines give way to newer ones; the battle's messages and numbers
    // wait their turn. All in the game's language.
    for (const SsipServer::Said& said : server.Heard()) {
        const bool battle = said.text.find("主人公") != std::string::npos || said.text.starts_with("バトル開始");
        const bool field =
            said.text.find("マップ1") != std::string::npos || said.text.find("右は壁") != std::string::npos;
        if (battle || field) {
            EXPECT_EQ(said.priority, battle ? "message" : "text") << said.text;
        }
        EXPECT_EQ(said.language, "ja");
    }
}

// The real Speech Dispatcher, where it is installed: its generic module
// writes what it is given to a file instead of a sound card, so the game's
// words are seen arriving through the whole service, in the game's language.
TEST_F(SpeechInTerminal, TheRealServiceSaysItInTheGamesLanguage) {
    if (std::system("command -v speech-dispatcher >/dev/null") != 0)
        GTEST_SKIP() << "Speech Dispatcher is not installed (speech-dispatcher)";
    const std::filesystem::path conf = sockets.Path() / "conf", said = sockets.Path() / "said.txt";
    std::filesystem::create_directories(conf / "modules");
    std::ofstream(conf / "speechd.conf") << "AddModule \"file\" \"sd_generic\" \"file.conf\"\nDefaultModule file\n"
                                         << "AudioOutputMethod \"libao\"\n";  // no sound card here
    std::ofstream(conf / "modules" / "file.conf")
        << "GenericMaxChunkLength 100000\nGenericExecuteSynth \"printf '%s|%s\\\\n' \\'$LANGUAGE\\' \\'$DATA\\' >> "
        << said.string() << "\"\nGenericLanguage \"en\" \"en\" \"utf-8\"\nGenericLanguage \"ja\" \"ja\" \"utf-8\"\n"
        << "AddVoice \"en\" \"MALE1\" \"en\"\nAddVoice \"ja\" \"MALE1\" \"ja\"\n";
    const std::string socket = (sockets.Path() / "sd.sock").string();
    // Gone by itself a few seconds after the last game leaves it.
    ASSERT_EQ(
        std::system(("HOME=" + Quote(sockets.Path().string()) + " XDG_RUNTIME_DIR=" + Quote(sockets.Path().string()) +
                     " speech-dispatcher -d -t 3 -c unix_socket -S " + Quote(socket) + " -C " + Quote(conf.string()) +
                     " -L " + Quote(sockets.Path().string()) + " >/dev/null 2>&1")
                        .c_str()),
        0);
    WriteWorld("1\n1 1 2 19\n");
    for (const auto& [lang, arrival] : {std::pair{"en", "en|Map 1, level 1, HP 40."}, std::pair{"ja", "ja|マップ1"}}) {
        TerminalSession s;
        ASSERT_TRUE(
            s.Start(dir.Path(),
                    {"SPEECHD_ADDRESS=unix_socket:" + socket, "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                     RANKS_BINARY, "--speech", "--lang", lang},
                    "env"));
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", 10s));
        std::string heard;
        for (int i = 0; i < 50 && heard.find(arrival) == std::string::npos; ++i) {
            std::this_thread::sleep_for(100ms);
            std::ifstream in(said);
            heard.assign(std::istreambuf_iterator<char>(in), {});
        }
        EXPECT_NE(heard.find(arrival), std::string::npos) << heard;
        Interrupt(s);
    }
}

// A replay with speech on shows every screen as one without: the same last
// screen, state and digest of every screen; in English the voice speaks
// English.
TEST_F(SpeechInTerminal, AReplayIsTheSameWithSpeechOnAndOff) {
    SsipServer server(sockets.Path() / "speechd.sock");
    const std::string recording = std::string(RANKS_RECORDINGS_DIR) + "/battle_commands_level_up.rec";
    const auto replay = [&](const std::string& extra) {
        const std::string line = "cd " + Quote(dir.Path().string()) +
                                 " && env SPEECHD_ADDRESS=" + Quote(server.Address()) + " " + Quote(RANKS_BINARY) +
                                 " --replay " + Quote(recording) + " --world " + Quote(RANKS_RECORDINGS_WORLD) +
                                 " --headless" + extra + " > out 2> err < /dev/null";
        EXPECT_EQ(std::system(line.c_str()), 0) << dir.Read("err");
        return dir.Read("out");
    };
    const std::string off = replay("");
    EXPECT_EQ(server.Count(), 0u);
    EXPECT_EQ(replay(" --speech"), off);
    EXPECT_GE(server.WaitFor("主人公 HP", 0, 1s), 0);
    const std::string english = replay(" --lang en");
    EXPECT_EQ(replay(" --speech --lang en"), english);
    EXPECT_GE(server.WaitFor("Your HP", 0, 1s), 0);
    EXPECT_EQ(server.Heard().back().language, "en");
}

using SavesInTerminal = TerminalTest;

// The menu's Quit saves and says how to resume, naming the game as it was
// started: the command, typed as printed in the same folder, resumes it.
TEST_F(SavesInTerminal, MenuQuitsAndTheFarewellsCommandRunsAsPrinted) {
    const TempDir world{RANKS_WORLD_DIR};
    for (int n = 1; n <= 9; ++n) world.Write("map_info/map1/" + std::to_string(n) + ".txt", "0\n");
    std::filesystem::create_directories(dir.Path() / "bin");
    std::filesystem::create_symlink(RANKS_BINARY, dir.Path() / "bin" / "ranks");
    TerminalSession first;
    ASSERT_TRUE(first.Start(dir.Path(), {"--world", world.Path().string()}, "./bin/ranks"));
    ASSERT_TRUE(first.WaitForText("_____MiniMap_____"));
    first.SendKeys({"Space"});
    ASSERT_TRUE(first.WaitForText("たびのきろく"));
    first.SendKeys({"Left", "Enter"});
    ExpectEnd(first, 0);
    const std::string screen = first.Tmux("capture-pane -p -J");
    const std::size_t at = screen.find("./bin/ranks --continue game-");
    ASSERT_NE(at, std::string::npos) << screen;
    std::istringstream printed(screen.substr(at, screen.find(" resumes it", at) - at));
    std::vector<std::string> words;  // the program, then its arguments
    for (std::string w; printed >> w;) words.push_back(w);
    TerminalSession second;
    std::filesystem::create_directories(second.SaveFolder());
    std::filesystem::copy(first.SaveFolder(), second.SaveFolder(), std::filesystem::copy_options::recursive);
    ASSERT_TRUE(second.Start(dir.Path(), {words.begin() + 1, words.end()}, words.at(0)));
    ASSERT_TRUE(second.WaitForText("_____MiniMap_____"));
    Interrupt(second);
}

// The game goes on in `session`'s save folder as in that of `home`.
void ShareSaves(TerminalSession& home, TerminalSession& session) {
    std::filesystem::create_directories(session.DataHome());
    std::filesystem::remove_all(session.DataHome());
    std::filesystem::create_directory_symlink(home.DataHome(), session.DataHome());
}

// A second window cannot continue the game the first is playing, and says
// which process plays it; the farewell after Ctrl+C says how to resume it.
TEST_F(SavesInTerminal, OneGameOneWindow) {
    TerminalSession first, second;
    StartGame(first, {"--world", RANKS_RECORDINGS_WORLD}, true);
    ShareSaves(first, second);
    ASSERT_TRUE(second.Start(dir.Path(), {"--world", RANKS_RECORDINGS_WORLD, "--continue"}));
    EXPECT_EQ(second.WaitForExit(), 2);
    EXPECT_TRUE(second.ScreenContains("is being played in another window (process " + std::to_string(first.Pid())))
        << second.Tmux("capture-pane -p");
    Interrupt(first);
    EXPECT_TRUE(first.ScreenContains("ranks --continue game-")) << first.Tmux("capture-pane -p");
}

bool LockLeft(const std::filesystem::path& folder) {
    return std::any_of(std::filesystem::directory_iterator(folder), {},
                       [](const auto& e) { return e.path().filename().string().ends_with(".lock"); });
}

#ifdef RANKS_NO_LOCKS
// Where the file system keeps no locks, a new game and its continuation
// play and save; the continuation says once that it cannot be locked, and
// no lock file is left behind.
TEST_F(SavesInTerminal, WhereNothingCanLockGamesPlayAndSave) {
    const std::vector<std::string> preload = {"LD_PRELOAD=" + std::string(RANKS_NO_LOCKS),
                                              "ASAN_OPTIONS=verify_asan_link_order=0", RANKS_BINARY, "--world",
                                              RANKS_RECORDINGS_WORLD};
    TerminalSession home;  // holds the saves of both
    std::filesystem::create_directories(home.SaveFolder());
    for (bool resume : {false, true}) {
        SCOPED_TRACE(resume);
        TerminalSession s;
        ShareSaves(home, s);
        std::vector<std::string> args = preload;
        if (resume) args.push_back("--continue");
        ASSERT_TRUE(s.Start(dir.Path(), args, "env"));
        EXPECT_TRUE(!resume || s.WaitForText("cannot be locked here (")) << s.Tmux("capture-pane -p");
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", std::chrono::seconds(6)));
        Interrupt(s);
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
        EXPECT_EQ(SaveNames(s.SaveFolder()).size(), resume ? 3u : 2u);
    }
}
#endif

// A player whose save folder he cannot write (run as another user: root
// writes anywhere): a new game and a continued one are told before they
// start, play, and leave the folder as it was.
TEST_F(SavesInTerminal, AFolderThePlayerCannotWriteIsSaidAndLeftAsItWas) {
    if (::geteuid() != 0 || std::system("setpriv --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root and setpriv to play as another user";
    TerminalSession first;
    StartGame(first, {"--world", RANKS_RECORDINGS_WORLD}, true);
    Interrupt(first);
    const auto before = SaveNames(first.SaveFolder());
    // Readable by all, writable by root alone.
    for (auto p = first.SaveFolder(); p != first.DataHome().parent_path().parent_path(); p = p.parent_path())
        std::filesystem::permissions(p, std::filesystem::perms(0755));
    for (const auto& n : before) std::filesystem::permissions(first.SaveFolder() / n, std::filesystem::perms(0644));
    for (bool resume : {false, true}) {
        SCOPED_TRACE(resume);
        TerminalSession s;
        ShareSaves(first, s);
        std::vector<std::string> args = {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                         RANKS_BINARY,     "--world",         RANKS_RECORDINGS_WORLD};
        if (resume) args.push_back("--continue");
        ASSERT_TRUE(s.Start(dir.Path(), args, "setpriv"));
        EXPECT_TRUE(s.WaitForText("ranks: this game will not be saved: ")) << s.Tmux("capture-pane -p");
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", std::chrono::seconds(6)));
        Interrupt(s);
        EXPECT_TRUE(s.ScreenContains("ranks: this game was not saved: ")) << s.Tmux("capture-pane -p -J");
        EXPECT_EQ(SaveNames(first.SaveFolder()), before);
    }
}

// Every way out saves and gives the terminal back: a quit during a map
// change's scroll, by Ctrl+C or any signal that ends the game, saves the old
// map with the old cell or the new map with the new one.
TEST_F(SavesInTerminal, EveryWayOutDuringAScrollSavesAPlaceThatFitsTheMap) {
    for (int sig : {SIGINT, SIGHUP, SIGTERM, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, SIGPIPE}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        StartGame(s, {"--world", RANKS_RECORDINGS_WORLD, "--start", "1,56,4"}, true);
        s.SendKeys({"Right", "Right"});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the scroll takes 0.6 s
        if (sig == SIGINT) s.SendKeys({"C-c"});
        else s.Signal(sig);
        ExpectEnd(s, 128 + sig);
        const auto names = SaveNames(s.SaveFolder());
        ASSERT_EQ(names.size(), 2u);
        const HeroStatus h = ReadSaveFile((s.SaveFolder() / names[1]).string()).data.hero;
        const int place = h.mapNumber * 10000 + h.fieldX * 100 + h.fieldY;
        EXPECT_TRUE(place == 15704 || place == 20004) << place;
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
    }
}

}  // namespace
}  // namespace rf::test
