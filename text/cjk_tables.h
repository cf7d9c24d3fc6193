#pragma once

#include <cstdint>

namespace text {
namespace tables {

// Generated at build time (make_cjk_tables.py): the Chinese and Korean two-byte codes straight to their CP932 codes
// (lead * 256 + trail). Row lead - first lead, column trail - first trail. Bit c % 64 of kXHeld[row][c / 64] is set
// where code page 932 holds the character; its code is kXCodes[kXStart[row][c / 64] + the set bits below it in that
// word].

// GBK: lead 0x81-0xFE, trail 0x40-0xFE.
extern const std::uint64_t kGbkHeld[126][3];
extern const std::uint16_t kGbkStart[126][3];
extern const std::uint16_t kGbkCodes[];

// Big5: lead 0xA1-0xF9, trail 0x40-0x7E then 0xA1-0xFE (157 columns).
extern const std::uint64_t kBig5Held[89][3];
extern const std::uint16_t kBig5Start[89][3];
extern const std::uint16_t kBig5Codes[];

// EUC-KR (KS X 1001): lead and trail 0xA1-0xFE.
extern const std::uint64_t kEucKrHeld[94][3];
extern const std::uint16_t kEucKrStart[94][3];
extern const std::uint16_t kEucKrCodes[];

// GB18030's four-byte sequences for the BMP: {first sequence number, first code point} of each run of consecutive
// code points, in order.
extern const std::uint16_t kGb18030Runs[206][2];

}  // namespace tables
}  // namespace text
