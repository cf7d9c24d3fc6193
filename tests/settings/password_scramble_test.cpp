#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/password_scramble.h"

namespace {

TEST(PasswordScramble, EveryByteBecomesTwoLettersInTheirRangesAndComesBack) {
    std::set<std::string> seen;
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string pass(1, static_cast<char>(b));
        const std::string stored = settings::encodePass(pass);
        ASSERT_EQ(2u, stored.size()) << b;
        EXPECT_GE(stored[0], 'A') << b;
        EXPECT_LE(stored[0], 'P') << b;
        EXPECT_GE(stored[1], 'G') << b;
        EXPECT_LE(stored[1], 'V') << b;
        EXPECT_EQ(pass, settings::decodePass(stored)) << b;
        seen.insert(stored);
        all += pass;
    }
    EXPECT_EQ(256u, seen.size());
    EXPECT_EQ(512u, settings::encodePass(all).size());
    EXPECT_EQ(all, settings::decodePass(settings::encodePass(all)));
}

// Files written by earlier runs must stay readable: the stored form may never change.
TEST(PasswordScramble, StoredFormIsStable) {
    EXPECT_EQ("", settings::encodePass(""));
    EXPECT_EQ("DQ", settings::encodePass(std::string(1, '\0')));
    EXPECT_EQ("ML", settings::encodePass("\xFF"));
    EXPECT_EQ("NSGSISMS", settings::encodePass("neko"));
    EXPECT_EQ("neko", settings::decodePass("NSGSISMS"));
    EXPECT_EQ("", settings::decodePass(""));
}

TEST(PasswordScramble, LoneLastLetterDecodesAsIfItsPartnerWereZero) {
    EXPECT_EQ("0", settings::decodePass("D"));
    EXPECT_EQ(std::string("\0"
                          "0",
                          2),
              settings::decodePass("DQD"));
}

TEST(PasswordScramble, LettersOutsideTheRangesAreNotValidated) {
    EXPECT_EQ("\x03", settings::decodePass("aa"));
    EXPECT_EQ("#", settings::decodePass("\xC1\xC7"));  // bytes above 0x7F decode the same with signed or unsigned chars
}

}  // namespace
