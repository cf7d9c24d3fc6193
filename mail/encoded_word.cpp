#include "mail/encoded_word.h"

#include <cstdint>
#include <cstring>

#include "mail/base64_decoder.h"
#include "mail/hex_digits.h"
#include "text/ascii_run.h"

namespace mail {

namespace {

bool isPrintable(char c) {
    return c >= 0x21 && c <= 0x7E;
}

// Characters a charset name may hold: printable ASCII other than the MIME specials.
struct TokenTable {
    bool token[256] = {};
    TokenTable() {
        for (int c = 0x21; c <= 0x7E; ++c) {
            token[c] = std::strchr("()<>@,;:\"/[]?.=", c) == nullptr;
        }
    }
};

const TokenTable kTokens;

bool isTokenChar(char c) {
    return kTokens.token[static_cast<unsigned char>(c)];
}

// The first position at or after `i` that holds no printable ASCII or holds '?': where a word's text ends.
// Eight bytes at a time while all of them belong to the text.
std::size_t endOfWordText(std::string_view text, std::size_t i) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::size_t n = text.size();
    while (n - i >= 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        const std::uint64_t belowBang = (w - 0x21 * kOnes) & ~w & kHigh;  // a byte under 0x21
        const std::uint64_t aboveTilde = ((w + kOnes) | w) & kHigh;       // a byte over 0x7E
        const std::uint64_t question = w ^ ('?' * kOnes);
        const std::uint64_t isQuestion = (question - kOnes) & ~question & kHigh;
        if ((belowBang | aboveTilde | isQuestion) != 0) {
            break;
        }
        i += 8;
    }
    while (i < n && isPrintable(text[i]) && text[i] != '?') {
        ++i;
    }
    return i;
}

// Parses the word whose "=?" is at `begin`.
bool parseAt(std::string_view text, std::size_t begin, EncodedWord& word) {
    const std::size_t n = text.size();
    std::size_t i = begin + 2;
    const std::size_t charsetStart = i;
    while (i < n && isTokenChar(text[i])) {
        ++i;
    }
    if (i == charsetStart || i + 2 >= n || text[i] != '?' || text[i + 2] != '?') {
        return false;
    }
    const char letter = text[i + 1];
    if (letter != 'B' && letter != 'b' && letter != 'Q' && letter != 'q') {
        return false;
    }
    word.begin = begin;
    word.charset = text.substr(charsetStart, i - charsetStart);
    word.encoding = (letter == 'b' || letter == 'B') ? 'B' : 'Q';

    i += 3;
    const std::size_t textStart = i;
    i = endOfWordText(text, i);
    if (i == textStart || i + 1 >= n || text[i] != '?' || text[i + 1] != '=') {
        return false;
    }
    word.encodedText = text.substr(textStart, i - textStart);
    word.end = i + 2;
    return true;
}

// '_' is a blank and =XX a byte; an '=' without two hex digits after it stays as it is. Writes at most the
// text's length at `pos`; returns the end.
char* decodeQuoted(std::string_view text, char* pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    const auto underscoreIsBlank = [](unsigned char c) { return c == '_' ? ' ' : static_cast<char>(c); };
    decodeHexEscapes(p, end, pos, underscoreIsBlank);
    for (; p < end; ++p) {
        *pos++ = underscoreIsBlank(*p);
    }
    return pos;
}

// The position of the next "=?" at or after `from`, or npos.
std::size_t findOpenMark(std::string_view text, std::size_t from) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = begin + text.size();
    for (const auto* p = begin + from; p < end; ++p) {
        p = text::findByteInShortText(p, end, '=');
        if (end - p >= 2 && p[1] == '?') {
            return static_cast<std::size_t>(p - begin);
        }
    }
    return std::string_view::npos;
}

}  // namespace

bool findEncodedWord(std::string_view text, std::size_t from, EncodedWord& word) {
    for (std::size_t at = findOpenMark(text, from); at != std::string_view::npos; at = findOpenMark(text, at + 1)) {
        if (parseAt(text, at, word)) {
            return true;
        }
    }
    return false;
}

char* decodeEncodedWord(const EncodedWord& word, char* out) {
    char* const end =
        word.encoding == 'B' ? decodeBase64Word(word.encodedText, out) : decodeQuoted(word.encodedText, out);
    // The decoded text ends at a zero byte, which no display could show past.
    const auto* begin = reinterpret_cast<const unsigned char*>(out);
    const auto* zero = text::findByteInShortText(begin, reinterpret_cast<const unsigned char*>(end), 0);
    return out + (zero - begin);
}

}  // namespace mail
