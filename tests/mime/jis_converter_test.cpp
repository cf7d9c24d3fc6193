#include "mime/jis_converter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string convert(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    mime::JisConverter(in, out).run();
    return out.str();
}

struct ConversionCase {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(JisConverter, SwitchesKanjiModeWithTheKnownEscapes) {
    const ConversionCase cases[] = {
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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, convert(c.input)) << c.name;
    }
}

TEST(JisConverter, PassesUnknownAndCutOffSequencesThrough) {
    const ConversionCase cases[] = {
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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, convert(c.input)) << c.name;
    }
}

TEST(JisConverter, HandlesBytesThatFormNoPair) {
    const ConversionCase cases[] = {
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

TEST(JisConverter, EveryRunStartsInAsciiMode) {
    std::istringstream in("\x1b$B");
    std::ostringstream out;
    mime::JisConverter converter(in, out);
    converter.run();
    in.clear();
    in.str("$\"");
    converter.run();
    EXPECT_EQ("$\"", out.str());
}

TEST(JisConverter, FailedInputGivesNothing) {
    std::istringstream in("abc");
    in.setstate(std::ios::failbit);
    std::ostringstream out;
    mime::JisConverter(in, out).run();
    EXPECT_EQ("", out.str());
}

TEST(JisToSjis, ConvertsPairs) {
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
        unsigned char first = c.j1;
        unsigned char second = c.j2;
        mime::jisToSjis(first, second);
        EXPECT_EQ(c.s1, first) << std::hex << int(c.j1) << ' ' << int(c.j2);
        EXPECT_EQ(c.s2, second) << std::hex << int(c.j1) << ' ' << int(c.j2);
    }
}

}  // namespace
