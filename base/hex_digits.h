#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace base {

// A hex digit's value as the high and as the low half of a byte; 0x100 for what is no hex digit, so that the
// two halves of an escape, or-ed, show a bad digit in one test.
struct HexDigits {
    std::uint16_t high[256];
    std::uint16_t low[256];
    constexpr HexDigits() : high(), low() {
        for (int i = 0; i < 256; ++i) {
            const int value = (i >= '0' && i <= '9')   ? i - '0'
                              : (i >= 'A' && i <= 'F') ? i - 'A' + 10
                              : (i >= 'a' && i <= 'f') ? i - 'a' + 10
                                                       : -1;
            high[i] = static_cast<std::uint16_t>(value < 0 ? 0x100 : value << 4);
            low[i] = static_cast<std::uint16_t>(value < 0 ? 0x100 : value);
        }
    }
    // The byte "=XY" stands for when X and Y are hex digits, else a value of 0x100 or more.
    unsigned pair(unsigned char x, unsigned char y) const {
        return high[x] | low[y];
    }
};

inline constexpr HexDigits kHexDigits{};

// A hex digit's value (either letter case), or 0x100 for any other byte.
inline unsigned hexDigitValue(char c) {
    return kHexDigits.low[static_cast<unsigned char>(c)];
}

// Appends the bytes as lower-case hex, two digits a byte, the high half first.
inline void appendHex(std::string& out, const unsigned char* bytes, std::size_t size) {
    constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
}

// Decodes the "=XY" escapes of quoted-printable text from `p` up to the last two bytes (where an '=' could not
// have two digits after it), writing at `pos`; every other byte, an '=' without two hex digits after it
// included, goes through `literal`. Moves both; the caller reads the last two bytes by its own rules.
template <typename Literal>
void decodeHexEscapes(const unsigned char*& p, const unsigned char* end, char*& pos, Literal literal) {
    const auto* checkedEnd = end - p > 2 ? end - 2 : p;
    while (p < checkedEnd) {
        const unsigned char c = *p;
        if (c == '=') {
            const unsigned value = kHexDigits.pair(p[1], p[2]);
            if (value < 0x100) {
                *pos++ = static_cast<char>(value);
                p += 3;
                continue;
            }
        }
        *pos++ = literal(c);
        ++p;
    }
}

}  // namespace base
