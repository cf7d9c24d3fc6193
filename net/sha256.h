#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 (FIPS 180-4): certificate fingerprints, and the HMAC behind SCRAM and PKCE. The same digest on every
// platform.
namespace net {

constexpr std::size_t kSha256Size = 32;

class Sha256Context {
public:
    void init();
    void update(const void* data, std::size_t size);
    // Writes the 32-byte digest and clears the whole context (it may have held key material).
    void final(unsigned char digest[kSha256Size]);

private:
    std::uint32_t state[8] = {};
    std::uint64_t length = 0;  // bytes fed so far
    unsigned char buffer[64] = {};
};

// The digest of the bytes as 64 lower-case hexadecimal digits.
std::string sha256Hex(const void* data, std::size_t length);

}  // namespace net
