#include "platform/windows/windows_output.h"

#include <gtest/gtest.h>

#include "platform/model/virtual_console.h"
#include "text/sj_literal.h"

namespace rf::platform {
namespace {

using namespace rf;

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
