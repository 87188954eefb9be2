#include "authoring/meant_levels.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

#include "battle/attack.h"
#include "core/world_about.h"
#include "text/cp932.h"

namespace rf::authoring {

MeantLevels ReadMeantLevels() {
    MeantLevels meant;
    const std::string_view text = worldAbout.levels;
    meant.given = !text.empty();
    if (!meant.given) {
        meant.why = "world.txt gives no levels";
        return meant;
    }
    auto fault = [&](std::size_t at, std::string why) {
        meant.at = worldAbout.levelsAt + at;
        meant.why = "world.txt's levels: " + std::move(why);
        std::fill(std::begin(meant.level), std::end(meant.level), 0);
        return meant;
    };
    int count = 0;
    std::size_t at = 0;
    for (;;) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
        const std::string_view word = text.substr(at, end - at);
        int level = 0;
        const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), level);
        if (error != std::errc{} || stop != word.data() + word.size())
            return fault(at, "\"" + Cp932ToUtf8(word) + "\" is no level: write a number from 1 to " +
                                 std::to_string(kHighestLevel));
        if (level < 1 || level > kHighestLevel)
            return fault(at, "level " + std::string(word) + " is outside the game's levels, 1 to " +
                                 std::to_string(kHighestLevel));
        if (++count > kMaps)
            return fault(at, "more than " + std::to_string(kMaps) + " levels: one for each map, map 1 first");
        meant.level[count] = level;
        at = end;
    }
    if (count < kMaps)
        return fault(text.size(), std::to_string(count) + (count == 1 ? " level" : " levels") + " where " +
                                      std::to_string(kMaps) + " belong: one for each map, map 1 first");
    return meant;
}

}  // namespace rf::authoring
