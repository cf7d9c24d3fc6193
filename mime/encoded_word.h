#pragma once

#include <cstddef>
#include <string_view>

#include "text/charset_names.h"

namespace mime {

// One complete MIME encoded word, =?charset?B?text?= or =?charset?Q?text?=, inside a piece of text. Its views
// point into that text.
struct EncodedWord {
    std::size_t begin = 0;     // position of its "=?"
    std::size_t end = 0;       // position just after its "?="
    std::string_view charset;  // as written, e.g. "ISO-2022-JP"
    text::Charset charsetKind = text::Charset::Unknown;
    char encoding = 'B';  // 'B' or 'Q', upper case whatever the text wrote
    std::string_view encodedText;
};

// Finds the first complete encoded word that begins at or after `from`, fills `word` with it, writes the bytes it
// stands for (Base64 or quoted-printable) up to their first zero byte, in the word's own charset, at `out`, and
// moves `out` past them; false when there is none, and what `out` points at is then undefined. A charset is one
// or more token characters, the encoding one of B, b, Q, q, and the encoded text one or more printable ASCII
// characters other than '?'. A stretch that breaks these rules is no word and is passed over. `out` has room for
// the length of the text from `from` on plus 16 bytes.
bool decodeNextEncodedWord(std::string_view text, std::size_t from, EncodedWord& word, char*& out);

// Where the encoded word that `text` ends inside of begins: text cut short in the middle of a word (say
// "=?UTF-8?B?5Lya" or "=?UTF-8?B?5Lya6K2w?", or a final "=" that may have begun one). text.size() when the text
// ends inside no word.
std::size_t startOfCutWord(std::string_view text);

}  // namespace mime
