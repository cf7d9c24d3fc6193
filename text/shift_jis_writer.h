#pragma once

#include <cstdint>

#include "text/cp932_tables.h"

namespace text {

// "〓", what a character code page 932 cannot hold becomes.
constexpr unsigned char kGetaLead = 0x81;
constexpr unsigned char kGetaTrail = 0xAC;

// The CP932 code of a Unicode code point (the byte itself, or lead * 256 + trail), 0 when CP932 lacks it.
inline std::uint16_t cp932FromUnicode(char32_t codePoint) {
    if (codePoint < 0x80) {
        return static_cast<std::uint16_t>(codePoint);
    }
    if (codePoint > 0xFFFF) {
        return 0;  // CP932 holds nothing beyond the BMP (emoji, say)
    }
    return tables::kUnicodeBlocks[tables::kUnicodeBlockIndex[codePoint >> 6]][codePoint & 63];
}

// Writes one CP932 code at `out` ("〓" for 0) and returns the position after it.
inline char* putCp932(char* out, std::uint16_t code) {
    if (code >= 0x100) {
        out[0] = static_cast<char>(code >> 8);
        out[1] = static_cast<char>(code & 0xFF);
        return out + 2;
    }
    if (code == 0) {
        out[0] = static_cast<char>(kGetaLead);
        out[1] = static_cast<char>(kGetaTrail);
        return out + 2;
    }
    *out = static_cast<char>(code);
    return out + 1;
}

// Writes a code point as CP932 (at most two bytes) and returns the position after it.
inline char* putCodePoint(char* out, char32_t codePoint) {
    if (codePoint < 0x80) {
        *out++ = static_cast<char>(codePoint);
        return out;
    }
    return putCp932(out, cp932FromUnicode(codePoint));
}

}  // namespace text
