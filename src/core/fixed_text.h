// The text of a record's fixed-size character field: up to its terminator,
// or the whole field when it has none.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace rf {

template <std::size_t N>
std::string_view FixedText(const char (&field)[N]) {
    const void* end = std::memchr(field, 0, N);
    return std::string_view(field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N);
}

}  // namespace rf
