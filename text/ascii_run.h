#pragma once

#include <cstdint>
#include <cstring>

namespace text {

// Mail text is mostly ASCII between its 8-bit characters: these move over such runs eight bytes at a time.

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Copies the ASCII bytes from `p` to `out` up to the first byte of 0x80 or more (or `end`), moving both.
inline void copyAsciiRun(const unsigned char*& p, const unsigned char* end, char*& out) {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if ((word & kHighBits) != 0) {
            break;
        }
        std::memcpy(out, p, 8);
        p += 8;
        out += 8;
    }
    while (p < end && *p < 0x80) {
        *out++ = static_cast<char>(*p++);
    }
}

// The first byte of 0x80 or more at or after `p`, or `end`.
inline const unsigned char* skipAscii(const unsigned char* p, const unsigned char* end) {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if ((word & kHighBits) != 0) {
            break;
        }
        p += 8;
    }
    while (p < end && *p < 0x80) {
        ++p;
    }
    return p;
}

// The first `byte` at or after `p`, or `end`. For the short texts of header values, where a library search costs
// more in its call than it saves: eight bytes at a time while none of them is the byte.
inline const unsigned char* findByteInShortText(const unsigned char* p, const unsigned char* end, unsigned char byte) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t other = word ^ (byte * kOnes);  // zero where the byte is
        if (((other - kOnes) & ~other & kHighBits) != 0) {
            break;
        }
        p += 8;
    }
    while (p < end && *p != byte) {
        ++p;
    }
    return p;
}

}  // namespace text
