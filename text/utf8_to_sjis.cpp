#include "text/utf8_to_sjis.h"

#include <cstddef>
#include <cstdint>

#include "text/ascii_run.h"
#include "text/shift_jis_writer.h"

namespace text {

namespace {

// Where the table entries of a three-byte character begin in the flat table, by its first two bytes (lead
// 0xE0-0xEF, then any byte): one look-up in place of checking both bytes and computing the block.
// kNotPlain marks a second byte that is no continuation byte, or one that makes the character overlong or a
// surrogate: such characters take the general path.
constexpr std::uint16_t kNotPlain = 0xFFFF;

struct ThreeByteBlocks {
    std::uint16_t start[16 * 256];
    ThreeByteBlocks() {
        for (unsigned lead = 0xE0; lead <= 0xEF; ++lead) {
            const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned high = lead == 0xED ? 0x9F : 0xBF;
            for (unsigned second = 0; second < 256; ++second) {
                const unsigned block = ((lead & 0x0Fu) << 6) | (second & 0x3Fu);
                start[((lead & 0x0Fu) << 8) | second] =
                    second >= low && second <= high ? static_cast<std::uint16_t>(tables::kUnicodeBlockIndex[block] * 64)
                                                    : kNotPlain;
            }
        }
    }
};

const ThreeByteBlocks kThreeByteBlocks;

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

// The conversion; a strict one returns nullptr at the first malformed sequence instead of writing "〓".
template <bool Strict>
char* convertUtf8(std::string_view in, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p < end) {
        if (*p < 0x80) {
            copyAsciiRun(p, end, out);
            continue;
        }
        // The common case first: a run of three-byte characters (kana, kanji, punctuation) that CP932 holds as
        // pairs. Anything else (a character it lacks, a single byte, a malformed sequence, a byte order mark)
        // leaves the run for the general path below.
        const std::uint16_t* const entries = &tables::kUnicodeBlocks[0][0];
        while (end - p >= 3) {
            const unsigned key = ((static_cast<unsigned>(p[0]) << 8) | p[1]) - 0xE000u;
            if (key >= 0x1000u) {
                break;
            }
            const unsigned start = kThreeByteBlocks.start[key];
            const unsigned last = p[2] ^ 0x80u;
            if (start == kNotPlain || last >= 0x40) {
                break;
            }
            const std::uint16_t code = entries[start + last];
            if (code < 0x100) {
                break;
            }
            out[0] = static_cast<char>(code >> 8);
            out[1] = static_cast<char>(code & 0xFF);
            out += 2;
            p += 3;
        }
        if (p == end || *p < 0x80) {
            continue;
        }
        const unsigned char b = *p;
        const Lead lead = leadOf(b);
        const std::size_t n = lead.length == 0 ? 1 : wellFormedPrefix(p, end, lead);
        if (n < lead.length || lead.length == 0) {
            if (p + n == end && lead.length != 0) {
                break;  // cut off by the end
            }
            if (Strict) {
                return nullptr;
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

}  // namespace

char* utf8ToSjis(std::string_view in, char* out) {
    return convertUtf8<false>(in, out);
}

char* wellFormedUtf8ToSjis(std::string_view in, char* out) {
    return convertUtf8<true>(in, out);
}

bool looksLikeUtf8(std::string_view in) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    bool any = false;
    while (p < end) {
        if (*p < 0x80) {
            p = skipAscii(p, end);
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
