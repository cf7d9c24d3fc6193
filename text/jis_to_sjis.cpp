#include "text/jis_to_sjis.h"

#include <cstddef>

#include "base/cpu_features.h"
#include "text/jis_pair_blocks.h"
#include "text/shift_jis_writer.h"

namespace text {

namespace {

constexpr unsigned char kEsc = 0x1B;

bool isJisByte(unsigned char b) {
    return b >= 0x21 && b <= 0x7E;
}

bool isEucByte(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

enum class JisMode { Ascii, Kanji, Katakana, Unheld };

char* putGeta(char* out) {
    *out++ = static_cast<char>(kGetaLead);
    *out++ = static_cast<char>(kGetaTrail);
    return out;
}

}  // namespace

namespace {

// The pair arithmetic: the lead follows from the first byte alone, the trail from the second byte and whether
// the first is odd. The arithmetic covers the rows CP932 adds as well.
constexpr unsigned char sjisLeadOf(unsigned j1) {
    return static_cast<unsigned char>(j1 < 0x5F ? (j1 + 0xE1) / 2 : (j1 + 0x161) / 2);
}

constexpr unsigned char sjisTrailOf(unsigned j1, unsigned j2) {
    return static_cast<unsigned char>((j1 & 1) ? (j2 < 0x60 ? j2 + 0x1F : j2 + 0x20) : j2 + 0x7E);
}

// The same as tables, so that converting a run of kanji takes no data-dependent branch.
struct JisPairTables {
    unsigned char lead[128] = {};
    unsigned char trail[2][128] = {};
    constexpr JisPairTables() {
        for (unsigned j = 0x21; j <= 0x7E; ++j) {
            lead[j] = sjisLeadOf(j);
            trail[0][j] = sjisTrailOf(0, j);
            trail[1][j] = sjisTrailOf(1, j);
        }
    }
};

constexpr JisPairTables kJisPair;

// Writes the Shift_JIS pair of a JIS pair whose bytes are both in 0x21-0x7E.
char* putJisPair(char* out, unsigned first, unsigned second) {
    out[0] = static_cast<char>(kJisPair.lead[first]);
    out[1] = static_cast<char>(kJisPair.trail[first & 1][second]);
    return out + 2;
}

}  // namespace

char* iso2022JpToSjis(std::string_view in, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    JisMode mode = JisMode::Ascii;
    while (p < end) {
        if (*p == kEsc) {
            // The longest sequence we know is four bytes; what we do not know goes out as it came.
            const std::size_t left = static_cast<std::size_t>(end - p);
            const unsigned char c = left > 1 ? p[1] : 0;
            const unsigned char d = left > 2 ? p[2] : 0;
            const unsigned char e = left > 3 ? p[3] : 0;
            std::size_t used = 0;
            if (c == '$' && (d == '@' || d == 'B')) {
                mode = JisMode::Kanji;
                used = 3;
            } else if (c == '$' && d == '(' && (e == 'Q' || e == 'O')) {
                mode = JisMode::Kanji;  // JIS X 0213 plane 1 extends JIS X 0208
                used = 4;
            } else if (c == '$' && d == '(' && (e == 'D' || e == 'P')) {
                mode = JisMode::Unheld;
                used = 4;
            } else if (c == '(' && (d == 'B' || d == 'J' || d == 'H')) {
                mode = JisMode::Ascii;
                used = 3;
            } else if (c == '(' && d == 'I') {
                mode = JisMode::Katakana;
                used = 3;
            } else if (c == 'K') {
                mode = JisMode::Kanji;
                used = 2;
            } else if (c == 'H') {
                mode = JisMode::Ascii;
                used = 2;
            }
            if (used == 0) {
                used = (c == '$' || c == '(') ? 3 : 2;
                used = used < left ? used : left;
                for (std::size_t i = 0; i < used; ++i) {
                    *out++ = static_cast<char>(p[i]);
                }
            }
            p += used;
            continue;
        }
        if (mode == JisMode::Kanji) {
            // The run of pairs between two escapes, the bulk of Japanese text, in a loop of its own.
            if (base::processorHasSsse3()) {
                p = jisPairBlocksToSjis(p, end, out);
            }
            while (end - p >= 2 && isJisByte(p[0]) && isJisByte(p[1])) {
                out = putJisPair(out, p[0], p[1]);
                p += 2;
            }
            if (p == end || *p == kEsc) {
                continue;
            }
        }
        const unsigned char b = *p;
        if ((mode == JisMode::Kanji || mode == JisMode::Unheld) && isJisByte(b)) {
            if (p + 1 == end) {
                *out++ = static_cast<char>(b);  // a lone lead byte at the very end is kept as it came
                break;
            }
            unsigned char first = b;
            unsigned char second = p[1];
            p += 2;
            if (!isJisByte(second)) {
                *out++ = static_cast<char>(first);
                *out++ = static_cast<char>(second);
            } else if (mode == JisMode::Unheld) {
                out = putGeta(out);
            } else {
                out = putJisPair(out, first, second);
            }
            continue;
        }
        if (mode == JisMode::Katakana && b >= 0x21 && b <= 0x5F) {
            *out++ = static_cast<char>(b + 0x80);
        } else {
            *out++ = static_cast<char>(b);
        }
        ++p;
    }
    return out;
}

char* eucJpToSjis(std::string_view in, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++p;
            continue;
        }
        const std::size_t left = static_cast<std::size_t>(end - p);
        if (b == 0x8F) {  // JIS X 0212, which CP932 lacks
            if (left < 3) {
                break;
            }
            out = putGeta(out);
            p += 3;
            continue;
        }
        if (left < 2) {
            break;
        }
        const unsigned char c = p[1];
        if (b == 0x8E && c >= 0xA1 && c <= 0xDF) {
            *out++ = static_cast<char>(c);  // half-width katakana are single bytes in Shift_JIS
            p += 2;
        } else if (isEucByte(b) && isEucByte(c)) {
            out = putJisPair(out, b - 0x80u, c - 0x80u);
            p += 2;
        } else {
            out = putGeta(out);
            ++p;
        }
    }
    return out;
}

bool looksLikeEucJp(std::string_view in) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    bool any = false;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        const std::size_t left = static_cast<std::size_t>(end - p);
        if (b == 0x8E) {
            if (left < 2 || p[1] < 0xA1 || p[1] > 0xDF) {
                return false;
            }
            p += 2;
        } else if (b == 0x8F) {
            if (left < 3 || !isEucByte(p[1]) || !isEucByte(p[2])) {
                return false;
            }
            p += 3;
        } else if (isEucByte(b) && left >= 2 && isEucByte(p[1])) {
            p += 2;
        } else {
            return false;
        }
        any = true;
    }
    return any;
}

}  // namespace text
