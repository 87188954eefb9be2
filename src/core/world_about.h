// What a world says of itself, in an optional file at its top, world.txt:
// its name, author, version, licence, a one-line description (the name and
// the description in the game's other languages too), and the characters
// its maps use as decoration, which no translation needs, and the level
// each map is meant for. One field a line, "key: value"; a language's own
// name or description is "name.en".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rf {

inline constexpr std::string_view kWorldAboutFile = "world.txt";
inline constexpr std::size_t kWorldAboutBytes = 16 * 1024;  // what the game reads of it

// The fields, in the order `ranks new` writes them.
inline constexpr std::string_view kWorldAboutFields[] = {"name",        "author",     "version", "licence",
                                                         "description", "decoration", "levels"};

// The longest name the Help page and the page's list show.
inline constexpr std::size_t kWorldNameCells = 40;

// Every text in code page 932; empty when the world does not say.
struct WorldAbout {
    bool present = false;
    std::string name, author, version, licence, description, decoration;
    // The level each map is meant for, map 1 first: only the authors' tools read it.
    std::string levels;
    std::size_t levelsAt = 0;  // where its text starts in world.txt, for the checker
    // A field in another language: key ("name" or "description"), language, text.
    struct Translated {
        std::string key, language, text;
    };
    std::vector<Translated> translated;
};
extern WorldAbout worldAbout;

// Reads world.txt of the world in dataRoot (with the load log on, says what is wrong in it).
void LoadWorldAbout();

// The world's name in the game's language: its own, else the world file's; "" when it has none.
std::string WorldName();

}  // namespace rf
