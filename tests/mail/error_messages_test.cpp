#include "mail/check_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

TEST(ErrorMessages, TextsAreShiftJisBytes) {
    // "メモリー不足です" in code page 932.
    const unsigned char memory[] = {0x83, 0x81, 0x83, 0x82, 0x83, 0x8A, 0x81, 0x5B, 0x95,
                                    0x73, 0x91, 0xAB, 0x82, 0xC5, 0x82, 0xB7, 0x00};
    EXPECT_STREQ(reinterpret_cast<const char*>(memory), mail::errorMessage(mail::kErrOutOfMemory));

    // The settings reminder names the menu item in corner brackets, 「設定にゃ」.
    std::string reminder = mail::errorMessage(mail::kErrSettingsIncomplete);
    EXPECT_NE(std::string::npos, reminder.find("\x81\x75\x90\xDD\x92\xE8\x82\xC9\x82\xE1\x81\x76"));
    EXPECT_EQ(2u, static_cast<size_t>(std::count(reminder.begin(), reminder.end(), '\n')) + 1);
}

TEST(ErrorMessages, EveryCodeFromZeroToElevenHasTextAndNoOtherDoes) {
    for (int code = 0; code <= 11; ++code) {
        ASSERT_NE(nullptr, mail::errorMessage(code)) << code;
        EXPECT_GT(std::strlen(mail::errorMessage(code)), 0u) << code;
    }
    EXPECT_EQ(nullptr, mail::errorMessage(-1));
    EXPECT_EQ(nullptr, mail::errorMessage(12));
}

TEST(ErrorMessages, TheTimeOutSaysTheServerStoppedAnswering) {
    // 返事 (an answer), in Shift_JIS.
    EXPECT_NE(std::string::npos, std::string(mail::errorMessage(mail::kErrTimeout)).find("\x95\xD4\x8E\x96"));
}

TEST(ErrorMessages, ConnectErrorMentionsTheUsualPort) {
    EXPECT_NE(
        std::string::npos,
        std::string(mail::errorMessage(mail::kErrConnect)).find("(\x92\xCA\x8F\xED\x82\xCD 110 \x82\xC5\x82\xB7)"));
}

}  // namespace
