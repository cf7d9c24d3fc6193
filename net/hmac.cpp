#include "net/hmac.h"

#include "base/wipe.h"
#include "net/md5.h"
#include "net/sha256.h"

namespace net {

namespace {

constexpr std::size_t kBlockSize = 64;  // both MD5 and SHA-256

// One digest's context under the names the templates below use.
template <typename Context, std::size_t Size>
struct Hash {
    static constexpr std::size_t kSize = Size;
    Context context;
    void init() {
        context.init();
    }
    void update(const void* data, std::size_t size) {
        context.update(data, size);
    }
    void final(unsigned char* digest) {
        context.final(digest);
    }
};
using Md5 = Hash<Md5Context, 16>;
using Sha256 = Hash<Sha256Context, kSha256Size>;

template <typename Digest>
std::string digestOf(const std::string& message) {
    Digest hash;
    hash.init();
    hash.update(message.data(), message.size());
    unsigned char digest[Digest::kSize];
    hash.final(digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

template <typename Digest>
std::string hmac(const std::string& key, const std::string& message) {
    // A key longer than a block is hashed first; the padded key is key material, wiped however this ends.
    unsigned char pad[kBlockSize] = {};
    if (key.size() > kBlockSize) {
        std::string hashed = digestOf<Digest>(key);
        hashed.copy(reinterpret_cast<char*>(pad), hashed.size());
        base::wipeString(hashed);
    } else {
        key.copy(reinterpret_cast<char*>(pad), key.size());
    }
    for (unsigned char& byte : pad) {
        byte ^= 0x36;
    }
    Digest inner;
    inner.init();
    inner.update(pad, sizeof pad);
    inner.update(message.data(), message.size());
    unsigned char innerDigest[Digest::kSize];
    inner.final(innerDigest);

    for (unsigned char& byte : pad) {
        byte ^= 0x36 ^ 0x5c;
    }
    Digest outer;
    outer.init();
    outer.update(pad, sizeof pad);
    outer.update(innerDigest, sizeof innerDigest);
    unsigned char digest[Digest::kSize];
    outer.final(digest);
    base::wipeBytes(pad, sizeof pad);
    base::wipeBytes(innerDigest, sizeof innerDigest);
    std::string result(reinterpret_cast<const char*>(digest), sizeof digest);
    base::wipeBytes(digest, sizeof digest);
    return result;
}

}  // namespace

std::string hmacMd5(const std::string& key, const std::string& message) {
    return hmac<Md5>(key, message);
}

std::string hmacSha256(const std::string& key, const std::string& message) {
    return hmac<Sha256>(key, message);
}

std::string sha256(const std::string& message) {
    return digestOf<Sha256>(message);
}

std::string pbkdf2Sha256(const std::string& password, const std::string& salt, unsigned iterations) {
    // U1 = HMAC(P, S || INT(1)), Ui = HMAC(P, Ui-1); the result is their exclusive or.
    std::string u = salt;
    u.append("\0\0\0\1", 4);
    std::string result;
    for (unsigned i = 0; i < iterations; ++i) {
        std::string next = hmacSha256(password, u);
        base::wipeString(u);
        u = std::move(next);
        if (result.empty()) {
            result = u;
        } else {
            for (std::size_t k = 0; k < result.size(); ++k) {
                result[k] = static_cast<char>(result[k] ^ u[k]);
            }
        }
    }
    base::wipeString(u);
    return result;
}

}  // namespace net
