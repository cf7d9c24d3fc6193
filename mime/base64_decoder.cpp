#include "mime/base64_decoder.h"

#include <cstring>

#include "base/cpu_features.h"
#include "mime/base64_blocks.h"

namespace mime {

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

const unsigned char* decodeBase64Groups(const unsigned char* p, const unsigned char* end, char*& out) {
    if (base::processorHasSsse3()) {
        p = decodeBase64Blocks(p, end, out);
    }
    char* pos = out;
    for (; end - p >= 4; p += 4) {
        const unsigned a = kSymbols.value[p[0]], b = kSymbols.value[p[1]];
        const unsigned c = kSymbols.value[p[2]], d = kSymbols.value[p[3]];
        if (((a | b | c | d) & 0x80) != 0) {
            break;
        }
        pos[0] = static_cast<char>((a << 2) | (b >> 4));
        pos[1] = static_cast<char>(((b & 0x0F) << 4) | (c >> 2));
        pos[2] = static_cast<char>(((c & 0x03) << 6) | d);
        pos += 3;
    }
    out = pos;
    return p;
}

char* decodeBase64Tail(std::string_view rest, char* pos) {
    const std::size_t n = rest.size();
    for (std::size_t group = 0; group < n; group += 4) {
        // Slots of '=' and of characters missing at the end stay zero, so every output bit is determined.
        unsigned char slot[4] = {0, 0, 0, 0};
        int count = 3;
        for (std::size_t i = 0; i < 4 && group + i < n; ++i) {
            const auto c = static_cast<unsigned char>(rest[group + i]);
            if (c == '=') {
                --count;
            } else {
                const unsigned char value = kSymbols.value[c];
                slot[i] = value == kNotInAlphabet ? 63 : value;
            }
        }
        pos = putGroup(pos, slot, count < 0 ? 0 : count);
    }
    return pos;
}

char* Base64BodyDecoder::feed(std::string_view text, char* pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        // Whole groups of four alphabet characters, the common case, in one step.
        if (filled_ == 0) {
            if (base::processorHasSsse3()) {
                p = decodeBase64Blocks(p, end, pos);
            }
            while (end - p >= 4) {
                const unsigned a = kSymbols.value[p[0]], b = kSymbols.value[p[1]];
                const unsigned c = kSymbols.value[p[2]], d = kSymbols.value[p[3]];
                if ((a | b | c | d) == kNotInAlphabet || ((a | b | c | d) & 0x80) != 0) {
                    break;
                }
                pos[0] = static_cast<char>((a << 2) | (b >> 4));
                pos[1] = static_cast<char>(((b & 0x0F) << 4) | (c >> 2));
                pos[2] = static_cast<char>(((c & 0x03) << 6) | d);
                pos += 3;
                p += 4;
            }
            if (p == end) {
                break;
            }
        }
        const unsigned char ch = *p++;
        const unsigned char value = kSymbols.value[ch];
        if (value != kNotInAlphabet) {
            slot_[filled_++] = value;
            if (filled_ == 4) {
                pos = putGroup(pos, slot_, 3);
                filled_ = 0;
                slot_[0] = slot_[1] = slot_[2] = slot_[3] = 0;
            }
        } else if (ch == '=' && filled_ > 0) {
            pos = putGroup(pos, slot_, filled_ - 1);
            filled_ = 0;
            slot_[0] = slot_[1] = slot_[2] = slot_[3] = 0;
        }
    }
    return pos;
}

char* Base64BodyDecoder::finish(char* out) {
    if (filled_ > 1) {
        out = putGroup(out, slot_, filled_ - 1);  // cut off: only the fully determined bytes
    }
    filled_ = 0;
    slot_[0] = slot_[1] = slot_[2] = slot_[3] = 0;
    return out;
}

}  // namespace mime
