// A 64-bit FNV-1a digest: the same bytes give the same digest on every
// platform. Used for the world's files, the game records and the screens of
// a headless run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace rf::platform {

class Digest {
public:
    void Add(std::string_view bytes) {
        for (unsigned char b : bytes) {
            value_ ^= b;
            value_ *= 0x100000001b3ULL;
        }
    }
    // A number as eight little-endian bytes, whatever the machine.
    void AddNumber(std::int64_t number) {
        auto u = static_cast<std::uint64_t>(number);
        for (int i = 0; i < 8; ++i) {
            value_ ^= (u >> (8 * i)) & 0xFF;
            value_ *= 0x100000001b3ULL;
        }
    }
    std::string Hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
        return text;
    }

private:
    std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

}  // namespace rf::platform
