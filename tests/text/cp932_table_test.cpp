#include <gtest/gtest.h>

#include "tests/text/jis_row_one.h"
#include "text/shift_jis_writer.h"

namespace {

bool isLead(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrail(unsigned b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Every code the generated table holds is one CP932 character, and no two code points share one but those read at
// their JIS place, which share it with a full-width look-alike (〜 ～, ‖ ∥, − －, ¢ ￠, £ ￡, ¬ ￢, — ―).
TEST(Cp932Table, HoldsWellFormedCodesOnceEach) {
    static bool seen[0x10000] = {};
    int held = 0;
    for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        const unsigned code = text::cp932FromUnicode(cp);
        if (code == 0) {
            continue;
        }
        ++held;
        if (code < 0x100) {
            EXPECT_TRUE(code >= 0xA1 && code <= 0xDF) << std::hex << cp;
        } else {
            EXPECT_TRUE(isLead(code >> 8) && isTrail(code & 0xFF)) << std::hex << cp;
        }
        if (testjis::jisPlaceOf(cp) == 0) {
            EXPECT_FALSE(seen[code]) << "code " << std::hex << code << " twice, at " << cp;
            seen[code] = true;
        }
    }
    // JIS X 0208, NEC row 13, the IBM extensions, half-width katakana and the user-defined area.
    EXPECT_GT(held, 9000);
    EXPECT_EQ(0, text::cp932FromUnicode(0x1F600));
}

TEST(Cp932Table, ReadsJapaneseMarksAtTheirJisPlace) {
    for (const testjis::JisPlace& place : testjis::kReadAtJisPlace) {
        EXPECT_EQ(place.sjis(), text::cp932FromUnicode(place.codePoint)) << std::hex << place.codePoint;
    }
}

// Where CP932 holds a character twice, Windows writes the JIS X 0208 copy before NEC row 13, NEC row 13 before
// the IBM extension, and the IBM extension before its NEC-selected copy.
TEST(Cp932Table, PicksTheCopyWindowsWrites) {
    const struct {
        char32_t codePoint;
        unsigned code;
    } cases[] = {
        {0x2252, 0x81E0}, {0x2235, 0x81E6}, {0xFFE2, 0x81CA}, {0x2160, 0x8754}, {0x2170, 0xFA40}, {0x7E8A, 0xFA5C},
        {0x9AD9, 0xFBFC}, {0x3231, 0x878A}, {0xFF71, 0xB1},   {0xE000, 0xF040}, {0x00A7, 0x8198}, {0x0451, 0x8476},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, text::cp932FromUnicode(c.codePoint)) << std::hex << c.codePoint;
    }
}

}  // namespace
