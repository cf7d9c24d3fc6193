#include "text/cjk_to_sjis.h"

#include <algorithm>
#include <cstddef>

#include "text/ascii_run.h"
#include "text/cjk_tables.h"
#include "text/shift_jis_writer.h"

namespace text {

namespace {

// What one character read at a lead byte (0x81-0xFE, with a byte after it) comes to: its length (0 when the end cuts it
// off) and its CP932 code (0 for "〓").
struct Character {
    std::size_t length;
    std::uint16_t code;
};

constexpr Character kCutOff = {0, 0};
constexpr Character kBadByte = {1, 0};

bool within(unsigned char b, unsigned char first, unsigned char last) {
    return b >= first && b <= last;
}

Character readGbk(const unsigned char* p, std::size_t left) {
    const unsigned char lead = p[0];
    const unsigned char second = p[1];
    if (within(second, '0', '9')) {
        // GB18030: lead, digit, lead, digit.
        const bool thirdFits = left < 3 || within(p[2], 0x81, 0xFE);
        const bool fourthFits = left < 4 || within(p[3], '0', '9');
        if (!thirdFits || !fourthFits) {
            return kBadByte;
        }
        return left < 4 ? kCutOff : Character{4, gb18030FourBytesToCp932(p)};
    }
    if (second < 0x40 || second == 0x7F || second == 0xFF) {
        return kBadByte;
    }
    return {2, gbkPairToCp932(lead, second)};
}

Character readBig5(const unsigned char* p, std::size_t) {
    const unsigned char lead = p[0];
    const unsigned char trail = p[1];
    if (!within(trail, 0x40, 0x7E) && !within(trail, 0xA1, 0xFE)) {
        return kBadByte;
    }
    return {2, big5PairToCp932(lead, trail)};
}

Character readEucKr(const unsigned char* p, std::size_t) {
    const unsigned char lead = p[0];
    const unsigned char trail = p[1];
    if (within(trail, 0xA1, 0xFE)) {
        return {2, eucKrPairToCp932(lead, trail)};  // 0 for the hangul of leads below 0xA1
    }
    // Unified Hangul Code puts the rest of the hangul syllables after leads up to 0xC6.
    const bool hangulTrail = within(trail, 0x41, 0x5A) || within(trail, 0x61, 0x7A) || within(trail, 0x81, 0xA0);
    if (lead <= 0xC6 && hangulTrail) {
        return {2, 0};
    }
    return kBadByte;
}

// The code at one row and column of a generated table (see cjk_tables.h), 0 where CP932 lacks the character.
std::uint16_t lookUp(const std::uint64_t (&held)[3],
                     const std::uint16_t (&start)[3],
                     const std::uint16_t* codes,
                     unsigned column) {
    const std::uint64_t word = held[column / 64];
    const unsigned bit = column % 64;
    if (((word >> bit) & 1) == 0) {
        return 0;
    }
    const std::uint64_t below = word & ((std::uint64_t{1} << bit) - 1);
    return codes[start[column / 64] + static_cast<unsigned>(__builtin_popcountll(below))];
}

template <typename ReadCharacter>
char* convert(std::string_view in, char* out, ReadCharacter read) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    for (;;) {
        copyAsciiRun(p, end, out);
        if (p == end) {
            break;
        }
        // All three charsets lead their characters with 0x81-0xFE and have at least two bytes in each.
        const std::size_t left = static_cast<std::size_t>(end - p);
        const Character character = !within(*p, 0x81, 0xFE) ? kBadByte : left < 2 ? kCutOff : read(p, left);
        if (character.length == 0) {
            break;
        }
        out = putCp932(out, character.code);
        p += character.length;
    }
    return out;
}

}  // namespace

std::uint16_t gb18030FourBytesToCp932(const unsigned char* p) {
    constexpr unsigned kBmpSequences = 39420;  // 81308130 to 8431A439; the rest lie beyond the BMP
    const unsigned number = (p[0] - 0x81u) * 12600 + (p[1] - 0x30u) * 1260 + (p[2] - 0x81u) * 10 + (p[3] - 0x30u);
    if (number >= kBmpSequences) {
        return 0;
    }
    const auto* const runs = tables::kGb18030Runs;
    const auto* const end = runs + std::size(tables::kGb18030Runs);
    const auto* run =
        std::upper_bound(runs, end, number, [](unsigned n, const std::uint16_t(&r)[2]) { return n < r[0]; });
    --run;  // the first run starts at 0
    return cp932FromUnicode(static_cast<char32_t>((*run)[1] + (number - (*run)[0])));
}

std::uint16_t gbkPairToCp932(unsigned char lead, unsigned char trail) {
    if (!within(lead, 0x81, 0xFE) || !within(trail, 0x40, 0xFE)) {
        return 0;
    }
    const unsigned row = lead - 0x81u;
    return lookUp(tables::kGbkHeld[row], tables::kGbkStart[row], tables::kGbkCodes, trail - 0x40u);
}

std::uint16_t big5PairToCp932(unsigned char lead, unsigned char trail) {
    if (!within(lead, 0xA1, 0xF9)) {
        return 0;
    }
    // The row holds trails 0x40-0x7E and then 0xA1-0xFE.
    unsigned column = 0;
    if (within(trail, 0x40, 0x7E)) {
        column = trail - 0x40u;
    } else if (within(trail, 0xA1, 0xFE)) {
        column = trail - 0xA1u + 63;
    } else {
        return 0;
    }
    const unsigned row = lead - 0xA1u;
    return lookUp(tables::kBig5Held[row], tables::kBig5Start[row], tables::kBig5Codes, column);
}

std::uint16_t eucKrPairToCp932(unsigned char lead, unsigned char trail) {
    if (!within(lead, 0xA1, 0xFE) || !within(trail, 0xA1, 0xFE)) {
        return 0;
    }
    const unsigned row = lead - 0xA1u;
    return lookUp(tables::kEucKrHeld[row], tables::kEucKrStart[row], tables::kEucKrCodes, trail - 0xA1u);
}

char* gbkToSjis(std::string_view in, char* out) {
    return convert(in, out, readGbk);
}

char* big5ToSjis(std::string_view in, char* out) {
    return convert(in, out, readBig5);
}

char* eucKrToSjis(std::string_view in, char* out) {
    return convert(in, out, readEucKr);
}

}  // namespace text
