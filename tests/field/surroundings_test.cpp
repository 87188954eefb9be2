// The field in words: the ways out of the hero's cell, the map's signs and
// its enemies, as a screen reader is told them on arriving.
#include "core/texts.h"
#include "field/field_view.h"
#include "field_support.h"
#include "platform/backend.h"
#include "platform/narration.h"
#include "text/cp932.h"

namespace rf {
namespace {

std::string said;
void Keep(std::string_view line) { said = Cp932ToUtf8(line); }
void Ignore(std::string_view) {}
constexpr platform::Narrator kCapture{Ignore, Keep};

class SurroundingsTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        platform::SetNarrator(&kCapture);
        platform::NarrateMessage("");  // nothing said just before
        said.clear();
        const std::string pawn = test::ToCp932("ポーン");
        std::memcpy(enemyTable.kinds[0].name, pawn.data(), pawn.size());
        hero.level = 3, hero.maxHp = 52;
    }
    void TearDown() override {
        platform::SetNarrator(nullptr);
        language = 0;
        FieldTest::TearDown();
    }
};

TEST_F(SurroundingsTest, WaysSignsAndEnemies) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        // Map 1 is the world's top-left corner: up and left end in walls,
        // down and right lead to the next maps.
        {[] {},
         "マップ1　レベル3　HP52。上に10歩で壁、下に10歩で次のマップ、左に10歩で壁、右に20歩で次のマップ。敵はいない"
         "。"},
        {[this] {
             Wall(1, 22, 10), Wall(1, 20, 9);
             SetEnemies({{1, 3, 26, 12}, {1, 1, 20, 10}});
         },
         "マップ1　レベル3　HP52。上は壁、下に10歩で次のマップ、左に10歩で壁、右は壁。ポーン：下に2、右に3。ポーン：す"
         "ぐそば。"},
        {[this] {
             const std::string sign = test::ToCp932("キング 門");
             std::memcpy(&Cell(1, 3, 2), sign.data(), sign.size());
         },
         "看板「キング 門」。"},
        // The same in English, the world's own names kept where it has no
        // translation.
        {[] { language = static_cast<std::int16_t>(LanguageIndex("en")); },
         "Map 1, level 3, HP 52. up: a wall; down: 10 steps to the next map; left: 10 steps to a wall; right: a wall. "
         "Sign: \"キング 門\". ポーン: 2 down; 3 right. ポーン: right here. "},
    };
    for (const auto& [edit, expected] : cases) {
        edit();
        NarrateField();
        EXPECT_NE(said.find(expected), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace rf
