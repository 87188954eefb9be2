#include "platform/windows/windows_output.h"

#include "platform/model/virtual_console.h"

namespace rf::platform {

CodePagePlan PlanCodePages(CodePages previous) {
    CodePagePlan plan;
    plan.restore = previous;
    // 0: no console to switch; already 932: nothing to change or give back.
    plan.setInput = previous.input != 0 && previous.input != kGameCodePage;
    plan.setOutput = previous.output != 0 && previous.output != kGameCodePage;
    return plan;
}

std::uint32_t GameInputMode(std::uint32_t previous) {
    using namespace console_mode;
    return (previous | kExtendedFlags | kProcessedInput) & ~(kQuickEdit | kMouseInput | kVirtualTerminalInput);
}

std::uint32_t GameOutputMode(std::uint32_t previous) {
    using namespace console_mode;
    return (previous & ~(kVirtualTerminalOutput | kNoAutoReturn)) | kProcessedOutput | kWrapAtEol;
}

std::uint32_t KeptCursorSize(std::uint32_t size) { return size >= 1 && size <= 100 ? size : 25; }

std::string LeadByteJoiner::Prepare(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 1);
    std::size_t i = 0;
    if (held_ >= 0 && !bytes.empty()) {
        if (static_cast<unsigned char>(bytes[0]) >= 0x20) {
            out += static_cast<char>(held_);
            out += bytes[0];
            i = 1;
        }
        held_ = -1;
    }
    while (i < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (!IsLeadByte(b)) {
            out += bytes[i++];
            continue;
        }
        if (i + 1 == bytes.size()) {
            held_ = b;
            break;
        }
        if (static_cast<unsigned char>(bytes[i + 1]) < 0x20) {
            ++i;  // the control byte cannot complete the pair
            continue;
        }
        out += bytes.substr(i, 2);
        i += 2;
    }
    return out;
}

std::string DirectoryOf(std::string_view path) {
    auto cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos) return {};
    return std::string(path.substr(0, cut));
}

}  // namespace rf::platform
