#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

#include "core/world_folder.h"
#include "own_folders.h"
#include "platform/backend.h"
#include "platform/player_files.h"
#include "program/command_line.h"
#include "text/cp932.h"
#include "text/utf8.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace rf::test {

std::string HeroFile::Text() const {
    std::string t = name;
    for (int v : {maxHp, attack, defence, magicAttack, magicDefence, speed}) t += " " + std::to_string(v);
    t += " " + std::to_string(nextExp) + " " + std::to_string(exp);
    // Four reserved numbers, then items 1, 2 and 3 with their counts.
    for (int v : {level, 0, 0, 0, 0, 1, potions, 2, proteins, 3, bucklers, x, y}) t += " " + std::to_string(v);
    return t + "\n";
}

std::string ToCp932(std::string_view utf8) { return Utf8ToCp932(utf8, nullptr); }

void NewGameOn(const std::filesystem::path& root, const StartPlace& place) {
    ResetGameState();
    headless::Reset();
    dataRoot = root.string();
    StartUp(place);
}

void ReplayHeadless(const std::filesystem::path& recording, const std::filesystem::path& world,
                    const std::function<void()>& eachFrame, std::vector<std::string> more) {
    ResetGameState();
    headless::Reset();
    headless::SetPresentObserver(eachFrame);
    std::vector<std::string> words = {"--replay", recording.string(), "--headless", "--world", world.string()};
    words.insert(words.end(), more.begin(), more.end());
    RunProgram(words);
    headless::SetPresentObserver(nullptr);
}

int RunProgram(std::vector<std::string> args) {
    args.insert(args.begin(), "ranks");
    int status = -1;
    try {
        status = CallWith(Main, args);
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::ExitCalled& e) {
        status = e.status;
    }
    platform::UseBackend(platform::HeadlessBackend());
    return status;
}

std::vector<std::string> SaveNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    if (std::filesystem::exists(folder))
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (!e.path().filename().string().starts_with(".")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> FilesUnder(const std::filesystem::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            out[std::filesystem::relative(entry.path(), root).generic_string()] = FileBytes(entry.path());
    return out;
}

bool HasJapanese(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t c = 0;
        const std::size_t n = DecodeUtf8(utf8, i, c);
        if (n == 0) return false;
        if ((c >= 0x3001 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF10 && c <= 0xFF19) ||
            (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) || (c >= 0xFF61 && c <= 0xFF9F))
            return true;
        i += n;
    }
    return false;
}

namespace {
// The developer's own settings (English, a faster pace) never reach the
// tests, nor the games they start, and no test writes beside the player's
// saves: the run has folders of its own.
class OwnFoldersForTheRun : public ::testing::Environment {
public:
    void SetUp() override { folders_ = std::make_unique<OwnFolders>(); }
    void TearDown() override { folders_.reset(); }

private:
    std::unique_ptr<OwnFolders> folders_;
};
[[maybe_unused]] const auto* const kOwnFolders = ::testing::AddGlobalTestEnvironment(new OwnFoldersForTheRun);
}  // namespace

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("ranks-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::TempDir(const std::filesystem::path& copyOf) : TempDir() {
    std::filesystem::copy(copyOf, path_, std::filesystem::copy_options::recursive);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& relative, std::string_view bytes) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempDir::WriteText(const std::string& relative, std::string_view utf8) const { Write(relative, ToCp932(utf8)); }

std::string TempDir::Read(const std::string& relative) const { return FileBytes(path_ / relative); }

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

#ifndef _WIN32
HeldInAnotherProcess::HeldInAnotherProcess(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    process_ = ::fork();
    if (process_ == 0) {
        platform::FileIdentity identity;
        std::string said;
        const bool ok = platform::HoldFile(path, identity, said) == platform::LockResult::kHeld;
        [[maybe_unused]] auto n = ::write(ready[1], ok ? "y" : "n", 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    held_ = process_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]), ::close(ready[1]);
}

ScopedEnvironment::ScopedEnvironment(std::initializer_list<std::pair<std::string, std::string>> values) {
    for (const auto& [name, value] : values) Set(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    // The earliest kept value of a name is the one put back.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
        it->second ? (void)::setenv(it->first.c_str(), it->second->c_str(), 1) : (void)::unsetenv(it->first.c_str());
}

void ScopedEnvironment::Keep(const std::string& name) {
    const char* was = std::getenv(name.c_str());
    saved_.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
}

void ScopedEnvironment::Set(const std::string& name, const std::string& value) {
    Keep(name);
    ::setenv(name.c_str(), value.c_str(), 1);
}

HeldInAnotherProcess::~HeldInAnotherProcess() {
    if (process_ <= 0) return;
    ::kill(process_, SIGKILL);
    ::waitpid(process_, nullptr, 0);
}
#endif

}  // namespace rf::test
