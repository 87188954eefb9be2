// The save file: what goes in comes back, and anything else is refused
// with a reason.
#include <cstring>
#include <tuple>

#include "saves/save_format.h"
#include "test_support.h"

namespace rf::test {
namespace {

SaveData Sample() {
    SaveData s;
    s.world = "default", s.worldDigest = "0123456789abcdef";
    s.startedAt = 1'796'000'000, s.savedAt = 1'796'003'661;
    std::string name = ToCp932("アレン");
    std::memcpy(s.hero.name, name.data(), name.size());
    s.hero.level = 7, s.hero.exp = 4'000'000'000u, s.hero.hp = -3, s.hero.items[kBuckler] = {3, 1};
    s.hero.mapNumber = 9, s.hero.fieldX = 58, s.hero.fieldY = 19;
    s.effects.proteinSlots[1] = {4, 2}, s.effects.rowInUse[2] = 1, s.effects.activeEffects = 1;
    s.kingMarkShown = true;
    s.journey = {4000, -1, 7, 1, 2, 0b10001, false, true};
    return s;
}

TEST(SaveFormat, WhatIsWrittenIsReadBackAndReadable) {
    SaveData in = Sample();
    std::string text = ComposeSave(in);
    EXPECT_NE(text.find("name アレン\n"), std::string::npos);
    SaveData out;
    std::string error;
    ASSERT_TRUE(ParseSave(text, out, error)) << error;
    EXPECT_EQ(ComposeSave(out), text);  // every field, written again from what was read
    // A name with no exact UTF-8 form is kept byte for byte.
    std::memcpy(in.hero.name, "a b\x81", 5);
    text = ComposeSave(in);
    EXPECT_NE(text.find("name-bytes 61206281\n"), std::string::npos);
    ASSERT_TRUE(ParseSave(text, out, error)) << error;
    EXPECT_STREQ(out.hero.name, "a b\x81");
    // A save from before the journey was kept has one made up from what it
    // holds: its time from start to save, its map, the marks it had shown.
    text.erase(text.find("journey "), text.find('\n', text.find("journey ")) - text.find("journey ") + 1);
    ASSERT_TRUE(ParseSave(text, out, error)) << error;
    const Journey& j = out.journey;
    EXPECT_EQ(
        std::tie(j.secondsBefore, j.battlesWon, j.battlesLost, j.battlesFled, j.mapsVisited, j.queenSeen, j.kingSeen),
        std::make_tuple(3661u, 0u, 0u, 0u, std::uint16_t{1 << 8}, false, true));
}

TEST(SaveFormat, DamagedCutShortOrForeignSavesAreRefusedWithAReason) {
    const std::string good = ComposeSave(Sample());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        return s.replace(s.find(from), from.size(), to);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a saved game"},
        {replaced("save 1\n", "save 2\n"), "another version"},
        {good.substr(0, good.size() - 4), "cut short"},
        // Out of range, these would lead the game outside its records.
        {replaced("map 9", "map 10"), "'map'"},
        {replaced("cell 58 19", "cell 58 20"), "'cell'"},
        {replaced("effect-rows 0 0 1 1", "effect-rows 0 1 0 1"), "'effect-rows'"},
        {replaced("protein-effects -1 0 4 2", "protein-effects -1 0 4 7"), "'effect-rows'"},
        {replaced("level 7", "level 7x"), "'level'"},
        {replaced("level 7", "level 40000"), "'level'"},
        {replaced("exp 4000000000", "exp -1"), "'exp'"},
        {replaced("world-digest 0123456789abcdef", "world-digest 0123"), "'world-digest'"},
        {replaced("saved 2026-11-30 01:54:21 UTC", "saved 2026-13-30 01:54:21 UTC"), "'saved'"},
        {replaced("marks-shown king", "marks-shown rook"), "'marks-shown'"},
        {replaced("speed", "speed 1\nspeed"), "damaged"},
    };
    for (const auto& [text, reason] : cases) {
        SaveData out;
        std::string error;
        EXPECT_FALSE(ParseSave(text, out, error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

// Any stamp a clock gave reads back (also those an earlier version wrote
// under a clock before 1970 or past 9999); a save stamps within the years
// every version reads.
TEST(SaveFormat, DatesAreUtcCivilTimeUnderAnyClock) {
    const struct {
        std::int64_t seconds;
        const char* text;
        const char* saved;  // as a save stamps it
    } cases[] = {
        {0, "1970-01-01 00:00:00 UTC", "1970-01-01 00:00:00 UTC"},
        {951'782'400, "2000-02-29 00:00:00 UTC", "2000-02-29 00:00:00 UTC"},
        {4'102'444'799, "2099-12-31 23:59:59 UTC", "2099-12-31 23:59:59 UTC"},
        {-3'596, "1969-12-31 23:00:04 UTC", "1970-01-01 00:00:00 UTC"},
        {253'402'300'800, "10000-01-01 00:00:00 UTC", "9999-12-31 23:59:59 UTC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UtcText(c.seconds), c.text);
        std::int64_t back = -1;
        EXPECT_TRUE(ParseUtcText(c.text, back)) << c.text;
        EXPECT_EQ(back, c.seconds);
        SaveData in = Sample(), out;
        in.savedAt = in.startedAt = c.seconds;
        const std::string text = ComposeSave(in);
        std::string error;
        EXPECT_NE(text.find(std::string("saved ") + c.saved + "\n"), std::string::npos) << text;
        EXPECT_TRUE(ParseSave(text, out, error)) << error;
    }
}

}  // namespace
}  // namespace rf::test
