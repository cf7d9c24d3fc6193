#include "base/base64.h"

#include <cstdint>

namespace base {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kUrlAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string encode(std::string_view bytes, const char* alphabet, bool pad) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += alphabet[(group >> 18) & 63];
        out += alphabet[(group >> 12) & 63];
        if (left > 1) {
            out += alphabet[(group >> 6) & 63];
        } else if (pad) {
            out += '=';
        }
        if (left > 2) {
            out += alphabet[group & 63];
        } else if (pad) {
            out += '=';
        }
    }
    return out;
}

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

}  // namespace

std::string encodeBase64(std::string_view bytes) {
    return encode(bytes, kAlphabet, true);
}

std::string encodeBase64Url(std::string_view bytes) {
    return encode(bytes, kUrlAlphabet, false);
}

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int padding = 0;
        if (last && text[i + 3] == '=') {
            padding = text[i + 2] == '=' ? 2 : 1;
        }
        std::uint32_t group = 0;
        for (int k = 0; k < 4; ++k) {
            int value = k >= 4 - padding ? 0 : valueOf(text[i + k]);
            if (value < 0) {
                return std::nullopt;
            }
            group = group << 6 | static_cast<std::uint32_t>(value);
        }
        // Bits below the last whole byte must be zero, so that each byte string has one encoding.
        if ((padding == 1 && (group & 0xff) != 0) || (padding == 2 && (group & 0xffff) != 0)) {
            return std::nullopt;
        }
        out += static_cast<char>(group >> 16);
        if (padding < 2) {
            out += static_cast<char>(group >> 8 & 0xff);
        }
        if (padding < 1) {
            out += static_cast<char>(group & 0xff);
        }
    }
    return out;
}

}  // namespace base
