#include "console/compose.h"

#include <utility>

#include "core/texts.h"
#include "core/world_translation.h"

namespace rf {
namespace {

// Texts end at their terminator, as the records hold them.
std::string_view UpToTerminator(std::string_view text) {
    std::size_t end = text.find('\0');
    return end == std::string_view::npos ? text : text.substr(0, end);
}

struct Split {
    std::string_view head;
    std::string_view tail;
};

// The gap is the catalogue's mark for what is put in; a template without
// one has it at its first space, as the original's templates do. The gap
// belongs to neither side.
Split SplitAtGap(std::string_view templ, char mark) {
    templ = UpToTerminator(templ);
    std::size_t gap = templ.find(mark);
    if (gap == std::string_view::npos) gap = templ.find(' ');
    if (gap == std::string_view::npos) return {templ, {}};
    return {templ.substr(0, gap), templ.substr(gap + 1)};
}

std::string Join(Split parts, std::string_view middle) {
    std::string out;
    out.reserve(parts.head.size() + middle.size() + parts.tail.size());
    out.append(parts.head);
    out.append(middle);
    out.append(parts.tail);
    return out;
}

}  // namespace

std::string ComposeWithNumber(std::string_view templ, std::int32_t value) {
    // Callers pass no negative values; one that slips through reads as none.
    // An experience gain is unsigned 16-bit, so values up to 65535 are shown whole.
    const int v = value < 0 ? 0 : value > 65535 ? 65535 : static_cast<int>(value);
    int count = 1;
    for (int k = 1, q = v; k <= 5; ++k) {
        q /= 10;
        if (q == 0) {
            count = k;
            break;
        }
    }
    std::string digits;
    int power = 1;
    for (int p = 1; p < count; ++p) power *= 10;
    for (int p = count; p >= 1; --p, power /= 10) digits.push_back(static_cast<char>('0' + (v / power) % 10));
    return Join(SplitAtGap(templ, kNumberGap), digits);
}

std::string ComposeWithName(std::string_view templ, std::string_view name) {
    return Join(SplitAtGap(templ, kNameGap), UpToTerminator(name));
}

namespace {

Message Composed(TextId id, const std::string_view* name, const std::int32_t* number) {
    auto fill = [&](std::string_view templ, std::string_view shownName) {
        std::string text = name != nullptr ? ComposeWithName(templ, shownName) : std::string(templ);
        if (number != nullptr) text = ComposeWithNumber(text, *number);
        return text;
    };
    const std::string_view own = name != nullptr ? *name : std::string_view();
    const std::string_view templ = Text(id), first = TextIn(0, id), shown = WorldText(own);
    std::string text = fill(templ, shown);
    // In the first language the paced text is this one.
    const std::size_t pace = templ == first && shown == own ? text.size() : fill(first, own).size();
    return {std::move(text), pace};
}

}  // namespace

Message Say(TextId id) { return Composed(id, nullptr, nullptr); }
Message Say(TextId id, std::int32_t number) { return Composed(id, nullptr, &number); }
Message Say(TextId id, std::string_view name) { return Composed(id, &name, nullptr); }
Message Say(TextId id, std::string_view name, std::int32_t number) { return Composed(id, &name, &number); }

}  // namespace rf
