#include "base/base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// RFC 4648's examples, and the ways a protocol value can fail to be exact Base64.
TEST(Base64, EncodesTheRfcExamplesAndRefusesWhatIsNotExact) {
    const std::pair<const char*, const char*> examples[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : examples) {
        EXPECT_EQ(base::encodeBase64(bytes), text);
        EXPECT_EQ(base::decodeBase64(text), std::string(bytes));
    }
    for (const char* bad : {"Zg=", "Zg", "Zh==", "Zm9=", "Z===", "====", "Zm9v Yg==", "Zm9vYg==Zg==", "Zm9v\r\n",
                            "Zm-v", "Zm_v", "Zg=a"}) {
        EXPECT_EQ(base::decodeBase64(bad), std::nullopt) << bad;
    }
}

TEST(Base64, EveryByteStringRoundTripsAndTheUrlFormDiffersOnlyInAlphabetAndPadding) {
    std::mt19937 random(4648);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 70, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        const std::string text = base::encodeBase64(bytes);
        ASSERT_EQ(base::decodeBase64(text), bytes);
        std::string url = text;
        for (char& c : url) {
            c = c == '+' ? '-' : c == '/' ? '_' : c;
        }
        url.erase(url.find_last_not_of('=') + 1);
        ASSERT_EQ(base::encodeBase64Url(bytes), url);
    }
}

}  // namespace
