#pragma once

#include <cstddef>
#include <string_view>

// First byte of a two-byte Shift_JIS character (code page 932). The second byte may look like any ASCII
// character from '@' to '~', backslash and letters included, so byte-wise text handling must step over it.
namespace base {

inline bool isShiftJisLeadByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Second byte of a two-byte Shift_JIS character: 0x40 to 0x7E or 0x80 to 0xFC.
inline bool isShiftJisTrailByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The first `limit` bytes of Shift_JIS text, one byte fewer when the cut would split a two-byte character.
// A lead byte that ends the text counts as a character of its own.
inline std::string_view cutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = isShiftJisLeadByte(text[end]) && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) {
            break;
        }
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace base
