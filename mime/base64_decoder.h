#pragma once

#include <string_view>

namespace mime {

// Lenient Base64 (RFC 2045 alphabet) for the encoded words of mail headers. It never fails: a character outside
// the alphabet counts as the value 63 and keeps its place in its group, and each '=' lowers the number of bytes its
// group yields. In two steps, for a caller that finds where a word's text ends as it decodes: first the whole groups
// of four alphabet characters from `p`, written at `out` (with room for 3 * ((end - p) / 4) + 3 bytes) up to the
// first group that holds another character or that `end` cuts, returning where they stop and moving `out`...
const unsigned char* decodeBase64Groups(const unsigned char* p, const unsigned char* end, char*& out);
// ...then what follows them up to the end of the word's text, written at `out`; returns the end.
char* decodeBase64Tail(std::string_view rest, char* out);

// Base64 of a message body, fed line by line: characters outside the alphabet (blanks, line ends) are skipped,
// and each '=' closes the group it stands in. A run cut off by the end of what arrived yields the bytes its
// characters fully determine.
class Base64BodyDecoder {
public:
    // Writes the bytes of the groups the text completes at `out`, which has room for 3 * (text.size() / 4) + 3
    // bytes; returns the end.
    char* feed(std::string_view text, char* out);
    // Writes what an unfinished last group determines (at most three bytes); returns the end.
    char* finish(char* out);

private:
    unsigned char slot_[4] = {0, 0, 0, 0};
    int filled_ = 0;
};

}  // namespace mime
