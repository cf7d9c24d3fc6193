#include "base/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

TEST(ReadDecimal, ReadsTheLeadingDigitsAndSaturatesAtTheCeiling) {
    const struct {
        std::string text;
        std::uint32_t ceiling;
        std::uint32_t value;
        std::size_t digits;
    } cases[] = {
        {"", UINT32_MAX, 0, 0},
        {"x12", UINT32_MAX, 0, 0},
        {"-5", UINT32_MAX, 0, 0},
        {" 5", UINT32_MAX, 0, 0},
        {"0", UINT32_MAX, 0, 1},
        {"007", UINT32_MAX, 7, 3},
        {"1200 messages", UINT32_MAX, 1200, 4},
        {"3x", UINT32_MAX, 3, 1},
        {"4294967295", UINT32_MAX, 4294967295u, 10},
        {"4294967296", UINT32_MAX, 4294967295u, 10},
        {"99999999999999999999", UINT32_MAX, 4294967295u, 20},
        {"2147483647", 2147483648u, 2147483647u, 10},
        {"2147483648", 2147483648u, 2147483648u, 10},
        {"99999999999", 2147483648u, 2147483648u, 11},
        {"1114111", 0x110000, 0x10FFFF, 7},
        {"1114112", 0x110000, 0x110000, 7},
        {"00000000001114113", 0x110000, 0x110000, 17},
        {"9", 5, 5, 1},
        {"10", 9, 9, 2},
        {"0", 0, 0, 1},
        {"\xEF\xBC\x91", UINT32_MAX, 0, 0},  // a full-width digit is no digit
    };
    for (const auto& c : cases) {
        const base::Decimal read = base::readDecimal(c.text, c.ceiling);
        EXPECT_EQ(read.value, c.value) << c.text << " ceiling " << c.ceiling;
        EXPECT_EQ(read.digits, c.digits) << c.text << " ceiling " << c.ceiling;
    }
}

// Every number below the ceiling reads back as itself, every one above as the ceiling.
TEST(ReadDecimal, AgreesWithWideArithmeticOnRandomNumbers) {
    std::mt19937_64 random(20261208);
    for (int round = 0; round < 20000; ++round) {
        const std::uint64_t number = random() >> (random() % 64);
        const std::uint32_t ceiling = static_cast<std::uint32_t>(random() >> (32 + random() % 32));
        const std::string text = std::to_string(number);
        const base::Decimal read = base::readDecimal(text + ";", ceiling);
        ASSERT_EQ(read.value, number > ceiling ? ceiling : number) << text << " ceiling " << ceiling;
        ASSERT_EQ(read.digits, text.size());
    }
}

}  // namespace
