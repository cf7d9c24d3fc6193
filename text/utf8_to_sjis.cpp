#include "text/utf8_to_sjis.h"

#include <cstddef>

#include "text/shift_jis_writer.h"

namespace text {

namespace {

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The length a lead byte announces (0 for a byte that cannot lead) and the range its second byte must be
// in, which rules out overlong forms, surrogates and code points past U+10FFFF.
struct Lead {
    unsigned char length;
    unsigned char low;
    unsigned char high;
};

Lead leadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (b == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (b == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (b >= 0xE1 && b <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (b == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (b >= 0xF1 && b <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (b == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

// How many bytes from `p` form a well-formed prefix of the sequence `lead` announces (at least 1).
std::size_t wellFormedPrefix(const unsigned char* p, const unsigned char* end, const Lead& lead) {
    std::size_t n = 1;
    if (p + 1 < end && p[1] >= lead.low && p[1] <= lead.high) {
        n = 2;
        while (n < lead.length && p + n < end && isContinuation(p[n])) {
            ++n;
        }
    }
    return n;
}

}  // namespace

char* utf8ToSjis(std::string_view in, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++p;
            continue;
        }
        // The common case first: a three-byte character (kana, kanji, punctuation) with a lead other than the
        // two that restrict their second byte.
        if (b >= 0xE1 && b != 0xED && b <= 0xEF && end - p >= 3 && isContinuation(p[1]) && isContinuation(p[2])) {
            const char32_t codePoint = ((b & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            p += 3;
            if (codePoint != 0xFEFF) {
                out = putCp932(out, cp932FromUnicode(codePoint));
            }
            continue;
        }
        const Lead lead = leadOf(b);
        const std::size_t n = lead.length == 0 ? 1 : wellFormedPrefix(p, end, lead);
        if (n < lead.length || lead.length == 0) {
            if (p + n == end && lead.length != 0) {
                break;  // cut off by the end
            }
            out = putCp932(out, 0);
            p += n;
            continue;
        }
        char32_t codePoint;
        if (n == 2) {
            codePoint = ((b & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        } else if (n == 3) {
            codePoint = ((b & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        } else {
            codePoint = 0x10000;  // beyond the BMP: CP932 holds none of them
        }
        p += n;
        if (codePoint != 0xFEFF) {
            out = putCp932(out, cp932FromUnicode(codePoint));
        }
    }
    return out;
}

bool looksLikeUtf8(std::string_view in) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    bool any = false;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Lead lead = leadOf(*p);
        if (lead.length == 0) {
            return false;
        }
        const std::size_t n = wellFormedPrefix(p, end, lead);
        if (n < lead.length && p + n != end) {
            return false;
        }
        p += n;
        any = true;
    }
    return any;
}

}  // namespace text
