#pragma once

#include <cstdint>
#include <string_view>

namespace text {

// The Chinese and Korean two-byte charsets to Shift_JIS. Each writes at most twice as many bytes as it reads, at
// `out`, and returns the end. A character code page 932 lacks (simplified hanzi, hangul) becomes "〓", and so does
// each byte that starts no character; a character cut off by the end of the input is dropped.

// GBK, which holds GB2312, and GB18030: its four-byte sequences (characters GBK lacks) are read for what CP932 holds
// (half-width katakana, the katakana middle dot, accented letters and the like), the rest becomes "〓".
char* gbkToSjis(std::string_view in, char* out);

// Big5 with the common extensions. Codes outside its table (the user-defined and Hong Kong areas) become "〓".
char* big5ToSjis(std::string_view in, char* out);

// EUC-KR, and Unified Hangul Code (code page 949), whose codes beyond EUC-KR are all hangul: "〓".
char* eucKrToSjis(std::string_view in, char* out);

// The CP932 code (lead * 256 + trail) of one two-byte character, 0 when CP932 lacks it or the pair is none.
std::uint16_t gbkPairToCp932(unsigned char lead, unsigned char trail);
std::uint16_t big5PairToCp932(unsigned char lead, unsigned char trail);
std::uint16_t eucKrPairToCp932(unsigned char lead, unsigned char trail);
// The same for a GB18030 four-byte sequence (lead 0x81-0xFE, digit, 0x81-0xFE, digit) at `p`.
std::uint16_t gb18030FourBytesToCp932(const unsigned char* p);

}  // namespace text
