// `ranks new DIR`: a small world of nine maps to start writing one's own
// from, every file the game needs, which checks clean and plays at once.
#pragma once

#include <string>
#include <vector>

namespace rf::authoring {

// Writes the world into `dir` (made when missing; it must not hold a world
// already). False, with the reason, when it could not.
bool WriteNewWorld(const std::string& dir, std::string& problem);

// The files of the new world, each path under the world folder with its UTF-8 text.
struct NewWorldFile {
    std::string path, text;
};
std::vector<NewWorldFile> NewWorldFiles();

}  // namespace rf::authoring
