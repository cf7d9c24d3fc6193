#include "base/shift_jis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ShiftJisLeadByte, IsTheTwoRangesOfCodePage932) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(base::isShiftJisLeadByte(static_cast<char>(byte)), lead) << byte;
    }
}

TEST(ShiftJisTrailByte, IsTheTwoRangesOfCodePage932) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool trail = (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
        EXPECT_EQ(base::isShiftJisTrailByte(static_cast<char>(byte)), trail) << byte;
    }
}

TEST(CutAtCharacter, NeverSplitsATwoByteCharacter) {
    const std::string so = "\x83\x5C";    // ソ: its trail byte is a backslash
    const std::string hyou = "\x95\x5C";  // 表 likewise
    const std::string neko = "\x94\x4C";  // 猫
    const std::string halfKana = "\xB1";  // ｱ: one byte, no lead
    const struct {
        std::string text;
        std::size_t limit;
        std::string kept;
    } cases[] = {
        {"", 0, ""},
        {"", 5, ""},
        {"abc", 0, ""},
        {"abc", 2, "ab"},
        {"abc", 3, "abc"},
        {"abc", 99, "abc"},
        {so + hyou, 4, so + hyou},
        {so + hyou, 3, so},
        {so + hyou, 1, ""},
        {"a" + so, 2, "a"},
        {"a" + so + "b", 3, "a" + so},
        {"\\" + so + "\\", 2, "\\"},
        {halfKana + neko, 2, halfKana},
        {neko + halfKana + "x", 3, neko + halfKana},
        {"ab\x83", 2, "ab"},  // a lead byte at the very end ...
        {"a\x83"
         "b\x83",
         3,
         "a\x83"
         "b"},  // ... and inside, taking its trail byte with it
        {"a\x83", 1, "a"},
        {std::string("\x83\0", 2) + "x", 1, ""},  // a zero trail byte still belongs to its lead
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::cutAtCharacter(c.text, c.limit), c.kept) << c.text << " limit " << c.limit;
    }
}

}  // namespace
