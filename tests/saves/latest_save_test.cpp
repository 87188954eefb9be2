// Many saves are read in one pass: the folder's files read at once give the
// bytes each read alone gives, and --continue's latest save of a world is
// the first of that world in the listing's order, found without keeping the
// others.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "saves/save_files.h"
#include "saves/save_format.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace rf::test {
namespace {

std::string SaveText(std::int16_t level, std::int64_t savedAt, const std::string& world) {
    SaveData s;
    s.world = world, s.worldDigest = "0123456789abcdef";
    s.startedAt = s.savedAt = savedAt;
    s.hero.level = level, s.hero.mapNumber = 1;
    std::memcpy(s.hero.name, "Hero", 5);
    return ComposeSave(s);
}

TEST(ManySaves, AFolderReadAtOnceGivesWhatEachFileReadAloneGives) {
    constexpr std::size_t kLimit = 64;
    TempDir dir;
    struct File {
        const char* name;
        std::string bytes;
    };
    const File files[] = {{"small", "abc"},
                          {"empty", ""},
                          {"at-limit", std::string(kLimit, 'x')},
                          {"past-limit", std::string(kLimit + 1, 'y')}};
    std::vector<std::string> names;
    for (const File& f : files) dir.Write(f.name, f.bytes), names.emplace_back(f.name);
    // Put at a listed name since the listing: a folder, nothing, a link, a FIFO.
    std::filesystem::create_directory(dir.Path() / "folder");
    names.insert(names.end(), {"folder", "gone", "a/b"});
#ifndef _WIN32
    std::filesystem::create_symlink(dir.Path() / "small", dir.Path() / "link");
    std::filesystem::create_symlink(dir.Path() / "folder", dir.Path() / "link-to-folder");
    ::mkfifo((dir.Path() / "fifo").c_str(), 0600);  // no writer: an open that waited would hang here
    names.insert(names.end(), {"link", "link-to-folder", "fifo"});
#endif
    const std::vector<platform::DataFileBytes> together = platform::ReadDataFilesIn(dir.Path().string(), names, kLimit);
    ASSERT_EQ(together.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const platform::DataFileBytes alone = platform::ReadDataFile((dir.Path() / names[i]).string(), kLimit);
        EXPECT_EQ(together[i].problem, names[i] == "a/b" ? platform::FileProblem::kMissing : alone.problem) << names[i];
        EXPECT_EQ(together[i].bytes, alone.bytes) << names[i];
        EXPECT_EQ(together[i].cut, alone.cut) << names[i];
    }
}

TEST(ManySaves, TheLatestOfAWorldIsTheFirstOfItInTheListing) {
    TempDir dir;
    struct Save {
        const char* name;
        std::string bytes;
    };
    // c.save in b.save's second: the later name first; d.save and f.save by a clock that was ahead; g.save
    // unreadable, of no world; h.save a name claimed, never filled.
    const Save saves[] = {{"a.save", SaveText(1, 1'700'000'000, "default")},
                          {"b.save", SaveText(2, 1'700'000'500, "default")},
                          {"c.save", SaveText(3, 1'700'000'500, "default")},
                          {"d.save", SaveText(4, 4'102'444'799, "default")},
                          {"e.save", SaveText(5, 1'700'000'900, "/games/other")},
                          {"f.save", SaveText(6, 4'102'444'799, "/games/ahead")},
                          {"g.save", "ranks-and-files save 1\n"},
                          {"h.save", ""}};
    for (const Save& s : saves) dir.Write(s.name, s.bytes);
    struct Case {
        const char* world;
        int level;  // 0: none
    };
    const Case cases[] = {{"default", 3}, {"/games/other", 5}, {"/games/ahead", 6}, {"/games/none", 0}};
    const std::vector<SaveEntry> listed = SavesIn(dir.Path().string());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "h.save"));
    dir.Write("h.save", "");
    for (const Case& c : cases) {
        const SaveEntry* first = nullptr;
        for (const SaveEntry& s : listed)
            if (first == nullptr && s.readable && s.data.world == c.world) first = &s;
        SaveEntry latest;
        const bool found = LatestSaveOf(dir.Path().string(), c.world, latest);
        EXPECT_EQ(found ? latest.data.hero.level : 0, c.level) << c.world;
        EXPECT_EQ(found ? latest.path : "", first != nullptr ? first->path : "") << c.world;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "h.save")) << c.world;
        dir.Write("h.save", "");
    }
}

}  // namespace
}  // namespace rf::test
