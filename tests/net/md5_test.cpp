#include "net/md5.h"

#include "net/apop_digest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const unsigned char digest[16]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int n = 0; n < 16; ++n) {
        text += kDigits[digest[n] >> 4];
        text += kDigits[digest[n] & 15];
    }
    return text;
}

// Feeds the input in pieces of the given size (0 = all at once).
std::string md5(const std::string& input, std::size_t piece = 0) {
    net::Md5Context context;
    context.init();
    if (piece == 0) {
        context.update(input.data(), input.size());
    } else {
        for (std::size_t at = 0; at < input.size(); at += piece) {
            context.update(input.data() + at, std::min(piece, input.size() - at));
        }
    }
    unsigned char digest[16];
    context.final(digest);
    return hex(digest);
}

TEST(Md5, Rfc1321TestSuite) {
    const struct {
        const char* input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(md5(c.input), c.digest) << '"' << c.input << '"';
    }
}

TEST(Md5, PiecesAcrossBlockBoundariesGiveTheSameDigest) {
    std::string million(1000000, 'a');
    for (std::size_t piece : {0, 1, 55, 63, 64, 65, 1000}) {
        EXPECT_EQ(md5(million, piece), "7707d6ae4e027c70eea2a935c2296f21") << "pieces of " << piece;
    }
    // Lengths around the padding boundary of 56 bytes.
    EXPECT_EQ(md5(std::string(55, 'b'), 7), "73979428bc0de15c39d14ae331b35295");
    EXPECT_EQ(md5(std::string(56, 'b'), 3), "b9d955696c7654cd20086bec31670b11");
}

TEST(Md5, ApopDigestIsTimestampThenPasswordInLowercaseHex) {
    // RFC 1939's example; its digest has the bytes 0e and 00, which keep their leading zeros.
    EXPECT_EQ(net::apopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaaf"), "c4c9334bac560ecc979e58001b3e22fb");
    EXPECT_EQ(net::apopDigest("<1896.697170952@dbc.mtview.ca.us>", ""), "6d7379174f7df9fb329480e5c47c1f1a");
}

}  // namespace
