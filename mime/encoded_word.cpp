#include "mime/encoded_word.h"

#include <cstdint>
#include <cstring>

#include "base/cpu_features.h"
#include "base/hex_digits.h"
#include "mime/base64_decoder.h"
#include "mime/quoted_printable_blocks.h"
#include "text/ascii_run.h"

namespace mime {

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

// The charset name of the last word, which the next word most often repeats: recognised by comparing sixteen
// bytes at once (the name and the '?' after it), with no byte-by-byte scan of the name and no look-up.
struct LastCharset {
    std::uint64_t spelling[2] = {0, 0};
    std::uint64_t mask[2] = {0, 0};  // which of the sixteen bytes count
    std::size_t size = 0;            // the name's length; 0 for none
    text::Charset charset = text::Charset::Unknown;

    // `room` is how many bytes may be read at `name`.
    bool isAt(const char* name, std::size_t room) const {
        if (size == 0 || room < 16) {
            return false;
        }
        std::uint64_t first = 0;
        std::uint64_t second = 0;
        std::memcpy(&first, name, 8);
        std::memcpy(&second, name + 8, 8);
        return (((first ^ spelling[0]) & mask[0]) | ((second ^ spelling[1]) & mask[1])) == 0;
    }

    void remember(std::string_view name, text::Charset named) {
        size = 0;
        if (name.size() >= 16) {
            return;
        }
        unsigned char bytes[16] = {};
        unsigned char counts[16] = {};
        std::memcpy(bytes, name.data(), name.size());
        bytes[name.size()] = '?';
        std::memset(counts, 0xFF, name.size() + 1);
        std::memcpy(spelling, bytes, 16);
        std::memcpy(mask, counts, 16);
        size = name.size();
        charset = named;
    }
};

thread_local LastCharset lastCharset;

// Parses the word's lead, "=?charset?B?" or "=?charset?Q?", whose "=?" is at `begin`; `textStart` is then where
// its encoded text begins.
bool parseLead(std::string_view text, std::size_t begin, EncodedWord& word, std::size_t& textStart) {
    const std::size_t n = text.size();
    const std::size_t charsetStart = begin + 2;
    std::size_t i = charsetStart;
    const bool known = lastCharset.isAt(text.data() + charsetStart, n - charsetStart);
    if (known) {
        i += lastCharset.size;
    } else {
        while (i < n && isTokenChar(text[i])) {
            ++i;
        }
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
    if (known) {
        word.charsetKind = lastCharset.charset;
    } else {
        word.charsetKind = text::charsetByName(word.charset);
        lastCharset.remember(word.charset, word.charsetKind);
    }
    word.encoding = (letter == 'b' || letter == 'B') ? 'B' : 'Q';
    textStart = i + 3;
    return true;
}

// Q text from `p`: '_' is a blank and =XX a byte; an '=' without two hex digits after it stays as it is. Stops
// where the word's text ends, at '?' or a byte that is no printable ASCII, and returns that position.
const unsigned char* decodeQText(const unsigned char* p, const unsigned char* end, char*& pos) {
    for (;;) {
        if (end - p >= 16 && base::processorHasSsse3()) {
            p = decodeQEncodedBlocks(p, end, pos);
        }
        if (p == end || !isPrintable(static_cast<char>(*p)) || *p == '?') {
            return p;
        }
        if (*p == '=' && end - p >= 3) {
            const unsigned value = base::kHexDigits.pair(p[1], p[2]);
            if (value < 0x100) {
                *pos++ = static_cast<char>(value);
                p += 3;
                continue;
            }
        }
        *pos++ = *p == '_' ? ' ' : static_cast<char>(*p);
        ++p;
    }
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

bool isWordEncoding(char c) {
    return c == 'B' || c == 'b' || c == 'Q' || c == 'q';
}

}  // namespace

std::size_t startOfCutWord(std::string_view text) {
    // A final '=' that closes no word ("?=") may be the first half of a word's "=?".
    if (!text.empty() && text.back() == '=' && (text.size() < 2 || text[text.size() - 2] != '?')) {
        text.remove_suffix(1);
    }
    const std::size_t n = text.size();
    // A word's charset and text hold no '?', so the last "=?" is where the last word, whole or cut, begins.
    const std::size_t open = text.rfind("=?");
    if (open == std::string_view::npos) {
        return n;
    }
    std::size_t i = open + 2;
    while (i < n && isTokenChar(text[i])) {
        ++i;
    }
    // Each part of the lead, "=?charset", "?", "B", "?", must be there up to where the text ends.
    if (i == n) {
        return open;
    }
    if (i == open + 2 || text[i] != '?') {
        return n;
    }
    if (++i == n) {
        return open;
    }
    if (!isWordEncoding(text[i])) {
        return n;
    }
    if (++i == n) {
        return open;
    }
    if (text[i] != '?') {
        return n;
    }
    i = endOfWordText(text, i + 1);
    // The encoded text runs to the end, or up to a '?' that the cut parted from its '='.
    return i == n || (i + 1 == n && text[i] == '?') ? open : n;
}

bool decodeNextEncodedWord(std::string_view text, std::size_t from, EncodedWord& word, char*& out) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = begin + text.size();
    for (std::size_t at = findOpenMark(text, from); at != std::string_view::npos; at = findOpenMark(text, at + 1)) {
        std::size_t textStart = 0;
        if (!parseLead(text, at, word, textStart)) {
            continue;
        }
        // The text is decoded as it is read, and where the decoding stops tells where the text ends: one pass,
        // where finding the end first read it twice. A text that turns out to have no "?=" after it leaves what
        // was written unused.
        char* pos = out;
        std::size_t textEnd = 0;
        if (word.encoding == 'B') {
            const auto rest = static_cast<std::size_t>(decodeBase64Groups(begin + textStart, end, pos) - begin);
            textEnd = endOfWordText(text, rest);
            pos = decodeBase64Tail(text.substr(rest, textEnd - rest), pos);
        } else {
            textEnd = static_cast<std::size_t>(decodeQText(begin + textStart, end, pos) - begin);
        }
        if (textEnd == textStart || textEnd + 1 >= text.size() || text[textEnd] != '?' || text[textEnd + 1] != '=') {
            continue;
        }
        word.encodedText = text.substr(textStart, textEnd - textStart);
        word.end = textEnd + 2;
        // The decoded text ends at a zero byte, which no display could show past.
        const auto* decoded = reinterpret_cast<const unsigned char*>(out);
        out += text::findByteInShortText(decoded, reinterpret_cast<const unsigned char*>(pos), 0) - decoded;
        return true;
    }
    return false;
}

}  // namespace mime
