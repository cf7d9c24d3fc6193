#pragma once

#include <string_view>

namespace text {

// ISO-2022-JP to Shift_JIS. Writes at most twice as many bytes as it reads, at `out`; returns the end.
// ESC $ @, ESC $ B (and ESC K) switch to JIS X 0208; ESC ( B, ESC ( J (and ESC H) back to ASCII;
// ESC ( I to JIS X 0201 katakana. JIS X 0212 pairs, which CP932 lacks, become "〓". Unknown escape
// sequences, 8-bit bytes, blanks and line ends pass through unchanged.
char* iso2022JpToSjis(std::string_view in, char* out);

// EUC-JP to Shift_JIS, at most twice as many bytes as read. A sequence cut off by the end is dropped.
char* eucJpToSjis(std::string_view in, char* out);

// True when the bytes hold 8-bit text that only EUC-JP explains: well-formed EUC-JP without the bytes
// 0x80-0xA0 that start nearly every Shift_JIS character.
bool looksLikeEucJp(std::string_view in);

}  // namespace text
