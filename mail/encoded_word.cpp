#include "mail/encoded_word.h"

#include <cstring>

#include "mail/base64_decoder.h"

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

// Parses the word whose "=?" is at `begin`.
std::optional<EncodedWord> parseAt(std::string_view text, std::size_t begin) {
    const std::size_t n = text.size();
    std::size_t i = begin + 2;
    const std::size_t charsetStart = i;
    while (i < n && isTokenChar(text[i])) {
        ++i;
    }
    if (i == charsetStart || i + 2 >= n || text[i] != '?' || text[i + 2] != '?') {
        return std::nullopt;
    }
    const char letter = text[i + 1];
    if (letter != 'B' && letter != 'b' && letter != 'Q' && letter != 'q') {
        return std::nullopt;
    }
    EncodedWord word;
    word.begin = begin;
    word.charset = text.substr(charsetStart, i - charsetStart);
    word.encoding = (letter == 'b' || letter == 'B') ? 'B' : 'Q';

    i += 3;
    const std::size_t textStart = i;
    while (i < n && isPrintable(text[i]) && text[i] != '?') {
        ++i;
    }
    if (i == textStart || i + 1 >= n || text[i] != '?' || text[i + 1] != '=') {
        return std::nullopt;
    }
    word.encodedText = text.substr(textStart, i - textStart);
    word.end = i + 2;
    return word;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// '_' is a blank and =XX a byte; an '=' without two hex digits after it stays as it is.
void appendQuoted(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* pos = &out[0] + start;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '_') {
            *pos++ = ' ';
            continue;
        }
        if (c == '=' && i + 2 < n) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if ((high | low) >= 0) {
                *pos++ = static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        *pos++ = c;
    }
    out.resize(static_cast<std::size_t>(pos - out.data()));
}

// The position of the next "=?" at or after `from`, or npos.
std::size_t findOpenMark(std::string_view text, std::size_t from) {
    while (from + 1 < text.size()) {
        const void* equals = std::memchr(text.data() + from, '=', text.size() - 1 - from);
        if (equals == nullptr) {
            break;
        }
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(equals) - text.data());
        if (text[at + 1] == '?') {
            return at;
        }
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<EncodedWord> findEncodedWord(std::string_view text, std::size_t from) {
    for (std::size_t at = findOpenMark(text, from); at != std::string_view::npos; at = findOpenMark(text, at + 1)) {
        if (auto word = parseAt(text, at)) {
            return word;
        }
    }
    return std::nullopt;
}

void appendEncodedWord(const EncodedWord& word, std::string& out) {
    const std::size_t start = out.size();
    if (word.encoding == 'B') {
        appendBase64Word(word.encodedText, out);
    } else {
        appendQuoted(word.encodedText, out);
    }
    // The decoded text ends at a zero byte, which no display could show past.
    const std::size_t zero = out.find('\0', start);
    if (zero != std::string::npos) {
        out.resize(zero);
    }
}

}  // namespace mail
