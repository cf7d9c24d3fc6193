#include <gtest/gtest.h>

#include <string>

#include "tests/text/jis_pair_rule.h"
#include "text/to_shift_jis.h"

// ISO-2022-JP as the program converts it: through toShiftJis, as the header decoder and the body preview call it.

namespace {

std::string convert(const std::string& input) {
    return text::toShiftJis(text::Charset::Iso2022Jp, input);
}

struct ConversionCase {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(Iso2022Jp, ConvertsEscapesPairsAndStrayBytes) {
    const ConversionCase cases[] = {
        // The known escapes switch kanji mode.
        {"empty", "", ""},
        {"ascii", "Subject line 123", "Subject line 123"},
        {"ESC $ B and ESC ( B", "a\x1b$B$\"\x1b(Bb",
         "a\x82\xA0"
         "b"},
        {"ESC $ @", "\x1b$@0!\x1b(B", "\x88\x9F"},
        {"ESC ( J ends kanji", "\x1b$B~~\x1b(J~~", "\xEF\xFC~~"},
        {"ESC ( H ends kanji", "\x1b$B$\"\x1b(H$\"", "\x82\xA0$\""},
        {"ESC K and ESC H", "\x1bK$\"0!\x1bH$\"", "\x82\xA0\x88\x9F$\""},
        {"ESC K then ESC ( B", "\x1bK$\"\x1b(B$\"", "\x82\xA0$\""},
        {"kanji written as words", "\x1b$B2q5D\x1b(B", "会議"},
        // Unknown and cut-off sequences pass through.
        {"ESC ( I: JIS X 0201 katakana", "\x1b(I1", "\xB1"},
        {"ESC ( I ends kanji mode", "\x1b$B\x1b(I$\"", "\xA4\xA2"},
        {"JIS X 0212, which CP932 lacks", "\x1b$(Dab", "〓"},
        {"ESC $ A", "\x1b$A!", "\x1b$A!"},
        {"ESC x", "\x1bx", "\x1bx"},
        {"ESC ESC is not two escapes", "\x1b\x1b$B$\"", "\x1b\x1b$B$\""},
        {"ESC at the end", "ab\x1b", "ab\x1b"},
        {"ESC $ at the end", "ab\x1b$", "ab\x1b$"},
        {"ESC ( at the end", "ab\x1b(", "ab\x1b("},
        {"ESC ( at the end in kanji mode", "\x1b$B$\"\x1b(", "\x82\xA0\x1b("},
        // Bytes that form no pair.
        {"blank and line ends keep kanji mode", "\x1b$B$\" $\"\r\n$\"\x1b(B", "\x82\xA0 \x82\xA0\r\n\x82\xA0"},
        {"tab in kanji mode", "\x1b$B\t0!", "\t\x88\x9F"},
        {"lone lead byte at the end", "\x1b$B$\"$", "\x82\xA0$"},
        {"second byte outside the range", "\x1b$B$\n$\"", "$\n\x82\xA0"},
        // The ESC after a lead byte is emitted as the pair's second byte; "(B" then is a pair.
        {"ESC as second byte starts no sequence", "\x1b$B$\x1b(B$\"", "$\x1b\x84\xC0\x82\xA0"},
        {"8-bit bytes in kanji mode", "\x1b$B\x82\xA0", "\x82\xA0"},
        {"Shift_JIS text unchanged", "会議です", "会議です"},
        {"control bytes in ascii mode", std::string("a\0b\x7F", 4), std::string("a\0b\x7F", 4)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, convert(c.input)) << c.name;
    }
}

TEST(Iso2022Jp, EveryTextStartsInAsciiMode) {
    EXPECT_EQ("", convert("\x1b$B"));
    EXPECT_EQ("$\"", convert("$\""));
}

TEST(Iso2022Jp, ConvertsPairs) {
    struct PairCase {
        unsigned char j1, j2, s1, s2;
    };
    const PairCase cases[] = {
        {0x24, 0x22, 0x82, 0xA0},                            // hiragana a
        {0x30, 0x21, 0x88, 0x9F},                            // first level-1 kanji
        {0x7E, 0x7E, 0xEF, 0xFC},                            // last cell of the code space
        {0x21, 0x21, 0x81, 0x40},                            // first cell
        {0x21, 0x5F, 0x81, 0x7E},                            // odd row, last trail below 0x7F
        {0x21, 0x60, 0x81, 0x80},                            // odd row, the trail skips 0x7F
        {0x21, 0x7E, 0x81, 0x9E}, {0x22, 0x21, 0x81, 0x9F},  // even row
        {0x5E, 0x7E, 0x9F, 0xFC},                            // last row below the lead byte gap
        {0x5F, 0x21, 0xE0, 0x40},                            // first row after it
        {0x4F, 0x53, 0x98, 0x72}, {0x74, 0x26, 0xEA, 0xA4},
    };
    for (const auto& c : cases) {
        const std::string pair{static_cast<char>(c.j1), static_cast<char>(c.j2)};
        const std::string expected{static_cast<char>(c.s1), static_cast<char>(c.s2)};
        EXPECT_EQ(expected, convert("\x1b$B" + pair + "\x1b(B")) << std::hex << int(c.j1) << ' ' << int(c.j2);
        unsigned char lead = 0;
        unsigned char trail = 0;
        testjis::pairToSjis(c.j1, c.j2, lead, trail);
        EXPECT_EQ(c.s1, lead) << "the tests' own rule";
        EXPECT_EQ(c.s2, trail) << "the tests' own rule";
    }
}

}  // namespace
