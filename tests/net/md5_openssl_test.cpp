// Md5Context against OpenSSL's MD5 on random inputs of random lengths, fed in random pieces.
#include <openssl/md5.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "net/md5.h"

// MD5() is the one-call counterpart of init/update/final; OpenSSL 3 marks it deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

TEST(Md5AgainstOpenSsl, RandomInputsInRandomPiecesGiveOpenSslsDigest) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        // Mostly short lengths around the block and padding boundaries, sometimes a few kilobytes.
        const std::size_t length = round % 10 == 0 ? random() % 5000 : random() % 200;
        std::vector<unsigned char> data(length);
        for (unsigned char& byte : data) {
            byte = static_cast<unsigned char>(random());
        }
        unsigned char expected[16];
        MD5(data.data(), data.size(), expected);

        net::Md5Context context;
        context.init();
        for (std::size_t at = 0; at < length;) {
            const std::size_t piece = std::min<std::size_t>(length - at, random() % 130);
            context.update(data.data() + at, piece);
            at += piece;
        }
        unsigned char ours[16];
        context.final(ours);
        ASSERT_EQ(std::memcmp(ours, expected, 16), 0) << "length " << length << ", round " << round;
    }
}

}  // namespace
