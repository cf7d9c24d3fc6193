#include "base/random_bytes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Nonces and PKCE verifiers must never repeat: 200 draws of 16 bytes, all different and none all zero.
TEST(RandomBytes, DrawsDoNotRepeat) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string draw(16, '\0');
        ASSERT_TRUE(base::randomBytes(draw.data(), draw.size()));
        EXPECT_NE(draw, std::string(16, '\0'));
        EXPECT_TRUE(seen.insert(draw).second);
    }
}

}  // namespace
