#pragma once

#include <string>
#include <string_view>

#include "text/charset_names.h"

namespace text {

// Appends the bytes, read in the given charset, to `out` as Shift_JIS (code page 932). Characters CP932
// lacks become "〓"; an unknown charset's bytes are appended unchanged. US-ASCII text is read as text
// without a declared charset (see guessCharset), since mislabelled 8-bit text is common.
void appendShiftJis(Charset charset, std::string_view bytes, std::string& out);

std::string toShiftJis(Charset charset, std::string_view bytes);

// The same, written at `out`, which has room for twice as many bytes as read; returns the end.
char* writeShiftJis(Charset charset, std::string_view bytes, char* out);

// Text without a charset of its own (a raw 8-bit header value) in a message that declares `declared` for its text,
// written at `out` as writeShiftJis does: read as guessCharset reads it, except that bytes that are neither
// ISO-2022-JP nor well-formed UTF-8 are read in the declared charset when the guess never picks that one (a
// single-byte, Chinese or Korean charset). A Japanese, US-ASCII or unknown declaration changes nothing.
char* writeUndeclaredShiftJis(std::string_view bytes, Charset declared, char* out);

// The charset of text that declares none (a raw 8-bit header, say): ISO-2022-JP when it holds an escape
// sequence, UTF-8 when it is well-formed UTF-8, EUC-JP when only EUC-JP explains its bytes, else Shift_JIS
// (which also covers plain ASCII).
Charset guessCharset(std::string_view bytes);

// True when the bytes, read in the charset, end on a whole character: no lead byte waiting for its trail bytes and
// no escape sequence cut short. UTF-8, EUC-JP, ISO-2022-JP and Shift_JIS are walked from the start; an escape
// sequence counts as one unit in each. Other charsets always end on a character.
bool endsOnCharacter(Charset charset, std::string_view bytes);

}  // namespace text
