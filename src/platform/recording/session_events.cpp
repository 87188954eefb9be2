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

bool ParseEventLine(std::string_view line, std::size_t lineNumber, std::vector<SessionEvent>& events,
                    std::string& error) {
    const std::string where = " on line " + std::to_string(lineNumber);
    if (line.size() > kLongestEventLine) {
        error = "line too long" + where;
        return false;
    }
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\r') {
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
            error = "unknown event" + where;
            return false;
        }
        const bool negative = i < line.size() && line[i] == '-' && c == 'c';
        if (negative) ++i;
        std::size_t digits = 0;
        std::int64_t value = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
            if (value > (INT64_MAX - 9) / 10) {
                error = "number too large" + where;
                return false;
            }
            value = value * 10 + (line[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0) {
            error = "damaged event" + where;
            return false;
        }
        if ((c == '+' || c == 'a' || c == 'r') && value > 0xFFFF) {
            error = "key code out of range" + where;
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

bool ParseEvents(std::string_view text, std::vector<SessionEvent>& events, std::string& error) {
    std::size_t lineNumber = 1;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; ++lineNumber) {
        if (!ParseEventLine(text.substr(0, end), lineNumber, events, error)) return false;
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace rf::platform
