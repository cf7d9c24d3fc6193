#pragma once

#include <cstdint>

namespace text {
namespace tables {

// Generated at build time (make_cp932_tables.py). A CP932 code is the byte itself for a single byte and
// lead * 256 + trail for a pair; 0 means code page 932 does not hold the character.

// Unicode (BMP) to CP932 for code points from 0x80: block kUnicodeBlockIndex[cp / 64], entry cp % 64.
extern const std::uint16_t kUnicodeBlockIndex[1024];
extern const std::uint16_t kUnicodeBlocks[][64];

// The high halves (bytes 0x80-0xFF) of the single-byte charsets, to CP932.
extern const std::uint16_t kLatin1High[128];
extern const std::uint16_t kLatin2High[128];
extern const std::uint16_t kCyrillicHigh[128];
extern const std::uint16_t kGreekHigh[128];
extern const std::uint16_t kLatin9High[128];
extern const std::uint16_t kWindows1250High[128];
extern const std::uint16_t kWindows1251High[128];
extern const std::uint16_t kWindows1252High[128];
extern const std::uint16_t kKoi8rHigh[128];

}  // namespace tables
}  // namespace text
