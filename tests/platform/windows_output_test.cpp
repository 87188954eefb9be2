#include "platform/windows/windows_output.h"

#include <gtest/gtest.h>

#include "core/sjis.h"
#include "platform/model/virtual_console.h"

namespace rf::platform {
namespace {

using namespace rf;

TEST(WindowsCodePages, SwitchesOnlyWhatIsNot932AndGivesThePreviousBack) {
    struct Case {
        std::uint32_t input, output;
        bool setInput, setOutput;
    };  // 0: no console
    for (const Case c : {Case{437, 850, true, true}, Case{65001, 932, true, false}, Case{932, 932, false, false},
                         Case{0, 0, false, false}}) {
        SCOPED_TRACE(c.input);
        CodePagePlan plan = PlanCodePages({c.input, c.output});
        EXPECT_EQ(plan.setInput, c.setInput);
        EXPECT_EQ(plan.setOutput, c.setOutput);
        EXPECT_EQ(plan.restore.input, c.input);
        EXPECT_EQ(plan.restore.output, c.output);
    }
}

TEST(WindowsOutput, ConsoleFedThroughTheJoinerMatchesTheModel) {
    // Written byte by byte, the console gets no lead byte alone and ends
    // with the cells the model shows (a lead byte before a control dropped).
    LeadByteJoiner j;
    VirtualConsole model, console;
    model.Reset(), console.Reset();
    std::string_view glyphs = "戦闘ソ表！"_sj;  // ソ and 表 end in a '\\' byte
    for (char c : std::string(glyphs) + "\x83\nZ") {
        model.Write(std::string_view(&c, 1));
        std::string part = j.Prepare(std::string_view(&c, 1));
        EXPECT_FALSE(part.size() == 1 && IsLeadByte(static_cast<unsigned char>(part[0])));
        console.Write(part);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(model.At(x, y), console.At(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace rf::platform
