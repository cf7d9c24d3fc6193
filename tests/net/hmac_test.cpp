// HMAC and PBKDF2 against the RFCs' test vectors (RFC 2202, RFC 4231, RFC 7914).
#include "net/hmac.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

TEST(Hmac, KnownDigests) {
    const std::string longKeyText = "Test Using Larger Than Block-Size Key - Hash Key First";
    EXPECT_EQ(hex(net::hmacSha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(hex(net::hmacSha256(std::string(131, '\xaa'), longKeyText)),
              "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    EXPECT_EQ(hex(net::hmacMd5("Jefe", "what do ya want for nothing?")), "750c783e6ab0b503eaa86e310a5db738");
    EXPECT_EQ(hex(net::hmacMd5(std::string(80, '\xaa'), longKeyText)), "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd");
}

TEST(Pbkdf2, KnownDerivedKeys) {
    EXPECT_EQ(hex(net::pbkdf2Sha256("passwd", "salt", 1)),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
    EXPECT_EQ(hex(net::pbkdf2Sha256("Password", "NaCl", 80000)),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56");
}

}  // namespace
