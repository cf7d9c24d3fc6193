#pragma once

#include <string>
#include <string_view>

#include "text/charset_names.h"

namespace mime {

// Turns one header value (a From or Subject value) into Shift_JIS for display. Every MIME encoded word
// (=?charset?B?...?= or =?charset?Q?...?=) is decoded and converted from its charset; the bytes of adjacent
// words of one charset are joined before the conversion (a sender may split a character over two words),
// and the blanks and line ends between adjacent words are dropped. The text around the words has no declared
// charset: ISO-2022-JP escapes are decoded, well-formed UTF-8 is read as UTF-8, bytes that only EUC-JP
// explains as EUC-JP, anything else is taken as Shift_JIS; but when the message declares a charset that guess never
// picks (`declared`: ISO-8859-1, GB2312, ...), bytes that are neither ISO-2022-JP nor UTF-8 are read in it (see
// text::writeUndeclaredShiftJis). A word in an unknown charset keeps its bytes.
// Text with "=?" but no "?=" after it is returned unchanged. The result replaces what `out` held; its room is
// reused (it is the decoder's working room too), so a caller that decodes many values into one string does not
// allocate for each. `text` must not lie inside `out`.
void decodeHeaderText(std::string_view text, std::string& out, text::Charset declared = text::Charset::Unknown);

// How much of `start`, the start of a longer header value, to keep so that decodeHeaderText reads no part of a
// character or of an encoded word: an encoded word cut short is dropped whole, and the raw text ends on a
// character of the charset that the decoder will guess for it (UTF-8 first, then EUC-JP or ISO-2022-JP, then
// Shift_JIS; at most three bytes go).
std::size_t keptLengthOfCutValue(std::string_view start);

inline std::string decodeHeaderText(std::string_view text, text::Charset declared = text::Charset::Unknown) {
    std::string out;
    decodeHeaderText(text, out, declared);
    return out;
}

}  // namespace mime
