#include "base/hex_digits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HexDigitValue, KnowsBothLetterCasesAndNothingElse) {
    for (int byte = 0; byte < 256; ++byte) {
        unsigned expected = 0x100;
        if (byte >= '0' && byte <= '9') {
            expected = static_cast<unsigned>(byte - '0');
        } else if (byte >= 'a' && byte <= 'f') {
            expected = static_cast<unsigned>(byte - 'a' + 10);
        } else if (byte >= 'A' && byte <= 'F') {
            expected = static_cast<unsigned>(byte - 'A' + 10);
        }
        EXPECT_EQ(base::hexDigitValue(static_cast<char>(byte)), expected) << byte;
    }
}

TEST(AppendHex, WritesTwoLowerCaseDigitsAByteHighHalfFirst) {
    const struct {
        std::string bytes, hex;
    } cases[] = {
        {"", ""},
        {std::string(1, '\0'), "00"},
        {"\x0F\xF0", "0ff0"},
        {"\xDE\xAD\xBE\xEF", "deadbeef"},
        {"\x83\x5C", "835c"},
        {"\x7F\x80\xFF", "7f80ff"},
    };
    for (const auto& c : cases) {
        std::string out = "x:";
        base::appendHex(out, reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(out, "x:" + c.hex);
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            const unsigned value = base::kHexDigits.pair(static_cast<unsigned char>(out[2 + 2 * i]),
                                                         static_cast<unsigned char>(out[3 + 2 * i]));
            EXPECT_EQ(value, static_cast<unsigned char>(c.bytes[i])) << "reads back";
        }
    }
}

}  // namespace
