#include "app/error_texts.h"
#include "mail/check_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ErrorMessages, TextsAreShiftJisBytes) {
    // "メモリー不足です" in code page 932.
    const unsigned char memory[] = {0x83, 0x81, 0x83, 0x82, 0x83, 0x8A, 0x81, 0x5B, 0x95,
                                    0x73, 0x91, 0xAB, 0x82, 0xC5, 0x82, 0xB7, 0x00};
    EXPECT_STREQ(reinterpret_cast<const char*>(memory), app::errorMessage(mail::kErrOutOfMemory));

    // The settings reminder names the menu item in corner brackets, 「設定にゃ」.
    std::string reminder = app::errorMessage(mail::kErrSettingsIncomplete);
    EXPECT_NE(std::string::npos, reminder.find("\x81\x75\x90\xDD\x92\xE8\x82\xC9\x82\xE1\x81\x76"));
    EXPECT_EQ(2u, static_cast<size_t>(std::count(reminder.begin(), reminder.end(), '\n')) + 1);
}

TEST(ErrorMessages, EveryCodeButTheCertificateQuestionHasTextAndNoOtherDoes) {
    for (int code = 0; code <= mail::kErrTokenEndpoint; ++code) {
        if (code == mail::kErrCertUntrusted) {
            // The untrusted certificate is a question of its own, not a plain error text.
            EXPECT_EQ(nullptr, app::errorMessage(code));
            continue;
        }
        ASSERT_NE(nullptr, app::errorMessage(code)) << code;
        EXPECT_GT(std::strlen(app::errorMessage(code)), 0u) << code;
    }
    EXPECT_EQ(nullptr, app::errorMessage(-1));
    EXPECT_EQ(nullptr, app::errorMessage(mail::kErrTokenEndpoint + 1));
    // The box for a missing login method names the method.
    EXPECT_NE(std::string::npos, app::authUnavailableMessage(mail::AuthMethod::CramMd5).find("CRAM-MD5"));
}

TEST(ErrorMessages, TheCertificateQuestionNamesTheReasonAndTheFingerprint) {
    const std::string fingerprint = "6ea542373cfdf950df655a2d7045bf7acd0e362f4e232adff3d894d280629e60";
    using net::CertProblem;
    // Key words of each reason in code page 932: 発行元 (issuer), 有効期限 (validity), サーバ名 (server name).
    const struct {
        CertProblem problem;
        const char* word;
    } cases[] = {
        {CertProblem::UnknownIssuer, "\x94\xad\x8d\x73\x8c\xb3"},
        {CertProblem::Expired, "\x97\x4c\x8c\xf8\x8a\xfa\x8c\xc0"},
        {CertProblem::WrongName, "\x83\x54\x81\x5b\x83\x6f\x96\xbc"},
    };
    std::vector<std::string> texts;
    for (const auto& c : cases) {
        std::string text = app::untrustedCertificateQuestion(c.problem, fingerprint);
        EXPECT_NE(text.find(c.word), std::string::npos) << static_cast<int>(c.problem);
        EXPECT_NE(text.find(fingerprint), std::string::npos);
        EXPECT_NE(text.find("SHA-256"), std::string::npos);
        texts.push_back(text);
    }
    EXPECT_NE(texts[0], texts[1]);
    EXPECT_NE(texts[1], texts[2]);
}

TEST(ErrorMessages, TheTimeOutSaysTheServerStoppedAnswering) {
    // 返事 (an answer), in Shift_JIS.
    EXPECT_NE(std::string::npos, std::string(app::errorMessage(mail::kErrTimeout)).find("\x95\xD4\x8E\x96"));
}

TEST(ErrorMessages, ConnectErrorMentionsTheUsualPort) {
    EXPECT_NE(
        std::string::npos,
        std::string(app::errorMessage(mail::kErrConnect)).find("(\x92\xCA\x8F\xED\x82\xCD 110 \x82\xC5\x82\xB7)"));
}

}  // namespace
