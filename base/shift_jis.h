#pragma once

// First byte of a two-byte Shift_JIS character (code page 932). The second byte may look like any ASCII
// character from '@' to '~', backslash and letters included, so byte-wise text handling must step over it.
namespace base {

inline bool isShiftJisLeadByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace base
