#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace base {

// The decimal digits at the start of a text: their value and how many there were (0: the text does not begin
// with a digit, and the value is 0).
struct Decimal {
    std::uint32_t value;
    std::size_t digits;
};

// Reads the leading decimal digits of `text`. A value above `ceiling` reads as `ceiling` (saturates), however
// many digits follow, so no length of digits can wrap it around.
Decimal readDecimal(std::string_view text, std::uint32_t ceiling = UINT32_MAX);

}  // namespace base
