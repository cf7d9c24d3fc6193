#pragma once

#include <cstddef>
#include <string_view>

namespace mail {

// One complete MIME encoded word, =?charset?B?text?= or =?charset?Q?text?=, inside a piece of text. Its views
// point into that text.
struct EncodedWord {
    std::size_t begin = 0;     // position of its "=?"
    std::size_t end = 0;       // position just after its "?="
    std::string_view charset;  // as written, e.g. "ISO-2022-JP"
    char encoding = 'B';       // 'B' or 'Q', upper case whatever the text wrote
    std::string_view encodedText;
};

// Finds the first complete encoded word that begins at or after `from` and fills `word` with it; false when
// there is none. A charset is one or more token characters, the encoding one of B, b, Q, q, and the encoded
// text one or more printable ASCII characters other than '?'. A stretch that breaks these rules is no word and
// is passed over. (Filled in place: a word returned by value was copied back through memory, which showed in
// profiles as a stall on every word.)
bool findEncodedWord(std::string_view text, std::size_t from, EncodedWord& word);

// Writes the bytes the word stands for (Base64 or quoted-printable), up to their first zero byte, in the word's own
// charset, at `out`, which has room for the encoded text's length plus 3 bytes; returns the end.
char* decodeEncodedWord(const EncodedWord& word, char* out);

}  // namespace mail
