#pragma once

#include <cstdint>

namespace text {
namespace tables {

// Generated at build time (make_cjk_tables.py): the Chinese and Korean two-byte codes straight to their CP932
// codes (lead * 256 + trail), 0 where code page 932 lacks the character. Row kXRows[kXRowOf[lead - first lead]],
// entry trail - first trail.

// GBK: lead 0x81-0xFE, trail 0x40-0xFE.
extern const std::uint8_t kGbkRowOf[126];
extern const std::uint16_t kGbkRows[][191];

// Big5: lead 0xA1-0xF9, trail 0x40-0x7E then 0xA1-0xFE (157 entries).
extern const std::uint8_t kBig5RowOf[89];
extern const std::uint16_t kBig5Rows[][157];

// EUC-KR (KS X 1001): lead and trail 0xA1-0xFE.
extern const std::uint8_t kEucKrRowOf[94];
extern const std::uint16_t kEucKrRows[][94];

}  // namespace tables
}  // namespace text
