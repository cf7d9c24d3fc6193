// HMAC, PBKDF2 and SHA-256 fed in pieces, against OpenSSL on random keys and messages.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "net/hmac.h"
#include "net/sha256.h"

namespace {

std::string randomBytes(std::mt19937& random, std::size_t length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

std::string opensslHmac(const EVP_MD* md, const std::string& key, const std::string& message) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    HMAC(md, key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(message.data()),
         message.size(), out, &length);
    return std::string(reinterpret_cast<char*>(out), length);
}

TEST(HmacAgainstOpenSsl, RandomKeysAndMessages) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        const std::string key = randomBytes(random, random() % 150);
        const std::string message = randomBytes(random, round % 20 == 0 ? random() % 3000 : random() % 200);
        ASSERT_EQ(net::hmacSha256(key, message), opensslHmac(EVP_sha256(), key, message)) << "round " << round;
        ASSERT_EQ(net::hmacMd5(key, message), opensslHmac(EVP_md5(), key, message)) << "round " << round;
    }
}

TEST(Sha256AgainstOpenSsl, RandomInputsInRandomPieces) {
    std::mt19937 random(8122026);
    for (int round = 0; round < 2000; ++round) {
        const std::string message = randomBytes(random, round % 10 == 0 ? random() % 5000 : random() % 200);
        unsigned char expected[SHA256_DIGEST_LENGTH];
        SHA256(reinterpret_cast<const unsigned char*>(message.data()), message.size(), expected);
        net::Sha256Context context;
        context.init();
        for (std::size_t at = 0; at < message.size();) {
            const std::size_t piece = std::min<std::size_t>(message.size() - at, random() % 130);
            context.update(message.data() + at, piece);
            at += piece;
        }
        unsigned char ours[net::kSha256Size];
        context.final(ours);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(ours), 32), std::string(reinterpret_cast<char*>(expected), 32))
            << "length " << message.size();
    }
}

TEST(Pbkdf2AgainstOpenSsl, RandomPasswordsSaltsAndCounts) {
    std::mt19937 random(7677);
    for (int round = 0; round < 200; ++round) {
        const std::string password = randomBytes(random, random() % 100);
        const std::string salt = randomBytes(random, 1 + random() % 40);
        const unsigned iterations = 1 + random() % 300;
        unsigned char expected[32];
        PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                          static_cast<int>(iterations), EVP_sha256(), sizeof expected, expected);
        ASSERT_EQ(net::pbkdf2Sha256(password, salt, iterations),
                  std::string(reinterpret_cast<char*>(expected), sizeof expected))
            << "round " << round;
    }
}

}  // namespace
