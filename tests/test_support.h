// Shared pieces of the tests: a clean game for every test, a temporary
// world directory, readable access to the headless screen, and the
// environment put back after a test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/game_state.h"
#include "platform/headless/headless.h"
#include "program/startup.h"
#include "text/sj_literal.h"

namespace rf::test {

// Converts UTF-8 text to code page 932 at run time (for test data files).
std::string ToCp932(std::string_view utf8);

// A test world's hero file, from the values a test cares about (the rest
// are the small worlds' hero), as UTF-8 text in the file's order.
struct HeroFile {
    std::string name = "アレン";
    int maxHp = 40, attack = 8, defence = 6, magicAttack = 5, magicDefence = 5, speed = 8;
    long long nextExp = 70, exp = 0;
    int level = 1;
    int potions = 5, proteins = 3, bucklers = 3;  // items 1, 2 and 3
    int x = 4, y = 10;
    std::string Text() const;
};

// Whether UTF-8 text holds Japanese writing: kana, kanji, their
// punctuation, full-width letters and digits. The frames' full-width lines
// and marks (＿ ／ ￣ ＜ ＞) are pictures, the same in every language.
bool HasJapanese(std::string_view utf8);

// A directory that is removed when the object goes; it may start as a copy
// of a folder.
class TempDir {
public:
    TempDir();
    explicit TempDir(const std::filesystem::path& copyOf);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` to the relative path, creating folders on the way.
    void Write(const std::string& relative, std::string_view bytes) const;
    // The same, with the text given in UTF-8 and stored in code page 932.
    void WriteText(const std::string& relative, std::string_view utf8) const;
    // The bytes of a file under it (empty when there is none).
    std::string Read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// The bytes of a file (empty when there is none).
std::string FileBytes(const std::filesystem::path& path);

// The saved games and recordings in a save folder, sorted, without the
// locks (none when there is no folder).
std::vector<std::string> SaveNames(const std::filesystem::path& folder);

// Every file under a folder, its bytes by its path there ('/' between folders).
std::map<std::string, std::string> FilesUnder(const std::filesystem::path& root);

// Calls `main`-like `f` with the words as its command line.
template <typename F>
int CallWith(F f, std::vector<std::string> words) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return f(static_cast<int>(words.size()), argv.data());
}

// A clean game and console, started on the world at `root`.
void NewGameOn(const std::filesystem::path& root, const StartPlace& place = {});

// Runs the program in-process on the headless console with `args` after
// "ranks" until it exits or its keys run out: its exit status (-1 when the
// keys ran out), the headless backend put back.
int RunProgram(std::vector<std::string> args);

// Replays a recording headless as `ranks --replay` does, from a clean game,
// with `more` words on its command line, calling `eachFrame` at every frame.
void ReplayHeadless(const std::filesystem::path& recording, const std::filesystem::path& world,
                    const std::function<void()>& eachFrame, std::vector<std::string> more = {});

#ifndef _WIN32
// Another process holding `path` as a game holds its save, for as long as
// the object lives; Held() says whether it could.
class HeldInAnotherProcess {
public:
    explicit HeldInAnotherProcess(const std::string& path);
    ~HeldInAnotherProcess();
    HeldInAnotherProcess(const HeldInAnotherProcess&) = delete;
    HeldInAnotherProcess& operator=(const HeldInAnotherProcess&) = delete;
    bool Held() const { return held_; }

private:
    int process_ = -1;
    bool held_ = false;
};

// Variables of the environment set for a test, each put back as it was
// (unset where it was) when the object goes; Keep() only puts one back.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(std::initializer_list<std::pair<std::string, std::string>> values);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    void Keep(const std::string& name);
    void Set(const std::string& name, const std::string& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
#endif

// Every test starts from a clean game and a fresh headless console.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        headless::Reset();
    }
    platform::VirtualConsole& Screen() { return headless::Screen(); }
    // Visible text of a row (or part of it) as UTF-8.
    std::string Row(int y, int x0 = 0, int count = 80) { return headless::RowUtf8(y, x0, count); }
    std::uint16_t AttrAt(int x, int y) { return Screen().At(x, y).attribute; }
    // Runs `body` until the key script is used up.
    template <typename F>
    void RunScript(F body) {
        try {
            body();
        } catch (const headless::ScriptEnded&) {
        }
    }
};

}  // namespace rf::test
