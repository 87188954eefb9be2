#include "platform/recording/session_events.h"

#include <cstdint>

#include "platform/keys.h"

namespace rf::platform {

void AppendEvent(std::string& out, const SessionEvent& event) {
    // Every token begins with its letter, so none needs a separator. A prefix
    // just written and its scan code go together as one token.
    const std::string prefixToken = "+" + std::to_string(keys::kPrefix);
    if (event.kind == SessionEvent::kKey && std::string_view(out).ends_with(prefixToken)) {
        out.resize(out.size() - prefixToken.size());
        out += 'a';
        out += std::to_string(event.value);
        return;
    }
    out += static_cast<char>(event.kind);
    if (event.kind != SessionEvent::kKeyWaiting) out += std::to_string(event.value);
}

bool ParseEvents(std::string_view text, std::vector<SessionEvent>& events, std::string& error) {
    std::size_t end = text.rfind('\n');
    text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
    std::size_t i = 0;
    std::size_t line = 1;
    while (i < text.size()) {
        char c = text[i];
        if (c == ' ' || c == '\n' || c == '\r') {
            if (c == '\n') ++line;
            ++i;
            continue;
        }
        SessionEvent e{static_cast<SessionEvent::Kind>(c)};
        ++i;
        if (c == 'y') {
            events.push_back(e);
            continue;
        }
        if (c != 'n' && c != '+' && c != 'a' && c != 'r' && c != 'c' && c != 't') {
            error = "unknown event on line " + std::to_string(line);
            return false;
        }
        bool negative = i < text.size() && text[i] == '-' && c == 'c';
        if (negative) ++i;
        std::size_t digits = 0;
        std::int64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (value > (INT64_MAX - 9) / 10) {
                error = "number too large on line " + std::to_string(line);
                return false;
            }
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0) {
            error = "damaged event on line " + std::to_string(line);
            return false;
        }
        if ((c == '+' || c == 'a' || c == 'r') && value > 0xFFFF) {
            error = "key code out of range on line " + std::to_string(line);
            return false;
        }
        e.value = negative ? -value : value;
        if (c == 'a') {
            events.push_back({SessionEvent::kKey, keys::kPrefix});
            e.kind = SessionEvent::kKey;
        }
        events.push_back(e);
    }
    return true;
}

}  // namespace rf::platform
