#pragma once

#include <string_view>

namespace text {

// The charsets mail text arrives in that this program converts to Shift_JIS.
enum class Charset {
    Unknown,  // a name we do not know: its bytes pass through unchanged
    Ascii,    // US-ASCII, often carrying undeclared 8-bit text: treated like a header without a charset
    Utf8,
    Iso2022Jp,
    ShiftJis,  // Shift_JIS, CP932, Windows-31J
    EucJp,
    Latin1,    // ISO-8859-1
    Latin2,    // ISO-8859-2
    Cyrillic,  // ISO-8859-5
    Greek,     // ISO-8859-7
    Latin9,    // ISO-8859-15
    Windows1250,
    Windows1251,
    Windows1252,
    Koi8R,
    Gbk,  // GBK and GB2312, GB18030's two-byte part
    Big5,
    EucKr,  // EUC-KR and code page 949 (Unified Hangul Code)
};

// The charset a MIME charset name stands for, letter case ignored, common aliases included.
Charset charsetByName(std::string_view name);

}  // namespace text
