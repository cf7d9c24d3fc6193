#include "mail/base64_decoder.h"

#include <cstring>

namespace mail {

namespace {

constexpr unsigned char kNotInAlphabet = 0xFF;

struct SymbolTable {
    unsigned char value[256];
    SymbolTable() {
        std::memset(value, kNotInAlphabet, sizeof value);
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (unsigned char i = 0; i < 64; ++i) {
            value[static_cast<unsigned char>(alphabet[i])] = i;
        }
    }
};

const SymbolTable kSymbols;

// Writes the bytes of one group of four slots, `count` of them (0 to 3).
char* putGroup(char* out, const unsigned char slot[4], int count) {
    const char bytes[3] = {
        static_cast<char>((slot[0] << 2) | (slot[1] >> 4)),
        static_cast<char>(((slot[1] & 0x0F) << 4) | (slot[2] >> 2)),
        static_cast<char>(((slot[2] & 0x03) << 6) | slot[3]),
    };
    for (int i = 0; i < count; ++i) {
        *out++ = bytes[i];
    }
    return out;
}

}  // namespace

void appendBase64Word(std::string_view text, std::string& out) {
    const std::size_t n = text.size();
    const std::size_t start = out.size();
    out.resize(start + 3 * (n / 4) + 3);
    char* begin = &out[0] + start;
    char* pos = begin;
    for (std::size_t group = 0; group < n; group += 4) {
        // Slots of '=' and of characters missing at the end stay zero, so every output bit is determined.
        unsigned char slot[4] = {0, 0, 0, 0};
        int count = 3;
        for (std::size_t i = 0; i < 4 && group + i < n; ++i) {
            const auto c = static_cast<unsigned char>(text[group + i]);
            if (c == '=') {
                --count;
            } else {
                const unsigned char value = kSymbols.value[c];
                slot[i] = value == kNotInAlphabet ? 63 : value;
            }
        }
        pos = putGroup(pos, slot, count < 0 ? 0 : count);
    }
    out.resize(start + static_cast<std::size_t>(pos - begin));
}

void appendBase64Body(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + 3 * (text.size() / 4) + 3);
    char* begin = &out[0] + start;
    char* pos = begin;
    unsigned char slot[4] = {0, 0, 0, 0};
    int filled = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const unsigned char value = kSymbols.value[c];
        if (value != kNotInAlphabet) {
            slot[filled++] = value;
            if (filled == 4) {
                pos = putGroup(pos, slot, 3);
                filled = 0;
                slot[0] = slot[1] = slot[2] = slot[3] = 0;
            }
        } else if (c == '=' && filled > 0) {
            pos = putGroup(pos, slot, filled - 1);
            filled = 0;
            slot[0] = slot[1] = slot[2] = slot[3] = 0;
        }
    }
    if (filled > 1) {
        pos = putGroup(pos, slot, filled - 1);  // cut off: only the fully determined bytes
    }
    out.resize(start + static_cast<std::size_t>(pos - begin));
}

const char* Base64Decoder::decode(const char* text) {
    std::string bytes;
    appendBase64Word(std::string_view(text, std::strlen(text)), bytes);
    buffer_.assign(bytes.begin(), bytes.end());
    buffer_.push_back('\0');
    length_ = static_cast<std::int32_t>(bytes.size());
    return buffer_.data();
}

}  // namespace mail
