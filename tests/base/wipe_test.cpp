#include "base/wipe.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/support/throwaway_secret.h"

namespace {

const auto& kLengths = testenv::kSecretLengths;

std::string password(std::size_t length) {
    return testenv::throwawaySecret(length);
}

// The whole capacity of a text, read through its buffer.
bool allZero(const std::string& text) {
    for (std::size_t i = 0; i < text.capacity(); ++i) {
        if (text.data()[i] != '\0') {
            return false;
        }
    }
    return true;
}

TEST(WipeBytes, ZeroesExactlyTheRangeGiven) {
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
        SCOPED_TRACE(length);
        std::string buffer = password(length + 2);
        const std::string before = buffer;
        base::wipeBytes(&buffer[1], length);
        EXPECT_EQ(buffer.front(), before.front());
        EXPECT_EQ(buffer.back(), before.back());
        EXPECT_EQ(buffer.substr(1, length), std::string(length, '\0'));
    }
}

// A shorter value written over a longer one leaves the longer one's tail behind its end: all of it goes.
TEST(WipeString, ZeroesTheWholeCapacity) {
    for (std::size_t length : kLengths) {
        SCOPED_TRACE(length);
        std::string text = password(length);
        text = "ab";
        const std::size_t capacity = text.capacity();
        ASSERT_GE(capacity, length);
        base::wipeString(text);
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(text.capacity(), capacity) << "the same block, wiped, not a new one";
        EXPECT_TRUE(allZero(text));
    }
}

TEST(WipeOnExit, WipesWhenTheScopeIsLeftByAnException) {
    std::string secret = password(37);
    secret.reserve(100);
    try {
        base::WipeOnExit wipe(secret);
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(secret.empty());
    EXPECT_GE(secret.capacity(), 100u);
    EXPECT_TRUE(allZero(secret));
}

}  // namespace
