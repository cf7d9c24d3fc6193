#pragma once

#include <string_view>

namespace text {

// UTF-8 to Shift_JIS, at most twice as many bytes as read, written at `out`; returns the end. Characters
// CP932 lacks and malformed sequences become "〓" (one per sequence); a byte order mark is dropped, and so
// is a sequence cut off by the end of the input (the rest of it never arrived).
char* utf8ToSjis(std::string_view in, char* out);

// The same for text that may be in another charset: nullptr, with `out` written over, when it is not
// well-formed UTF-8 (a sequence cut off by the very end still counts as well-formed).
char* wellFormedUtf8ToSjis(std::string_view in, char* out);

// True when the bytes are well-formed UTF-8 holding at least one non-ASCII character. A sequence cut off by
// the very end still counts as well-formed.
bool looksLikeUtf8(std::string_view in);

}  // namespace text
