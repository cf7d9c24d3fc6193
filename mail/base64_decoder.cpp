#include "mail/base64_decoder.h"

#include <cstring>

namespace mail {

namespace {

unsigned char symbolValue(char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c - 'A');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned char>(c - 'a' + 26);
    }
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned char>(c - '0' + 52);
    }
    if (c == '+') {
        return 62;
    }
    // '/' and every character outside the alphabet.
    return 63;
}

}  // namespace

const char* Base64Decoder::decode(const char* text) {
    const std::size_t n = std::strlen(text);
    // Room for three bytes per started group of four and the closing zero.
    buffer_.assign(3 * n / 4 + 4, '\0');
    std::size_t out = 0;

    for (std::size_t start = 0; start < n; start += 4) {
        // Slots of '=' and of characters missing at the end stay zero, so every output bit is determined.
        unsigned char slot[4] = {0, 0, 0, 0};
        int count = 3;
        for (std::size_t i = 0; i < 4 && start + i < n; ++i) {
            const char c = text[start + i];
            if (c == '=') {
                --count;
            } else {
                slot[i] = symbolValue(c);
            }
        }
        const char bytes[3] = {
            static_cast<char>((slot[0] << 2) | (slot[1] >> 4)),
            static_cast<char>(((slot[1] & 0x0F) << 4) | (slot[2] >> 2)),
            static_cast<char>(((slot[2] & 0x03) << 6) | slot[3]),
        };
        for (int i = 0; i < count; ++i) {
            buffer_[out++] = bytes[i];
        }
    }

    buffer_[out] = '\0';
    length_ = static_cast<std::int32_t>(out);
    return buffer_.data();
}

}  // namespace mail
