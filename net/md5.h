#pragma once

#include <cstddef>
#include <cstdint>

// MD5 message digest (RFC 1321): init, any number of updates, then final.
namespace net {

class Md5Context {
public:
    void init();
    void update(const void* data, std::size_t length);
    // Writes the 16-byte digest and clears the whole context.
    void final(unsigned char digest[16]);

private:
    // Runs the compression function over `count` consecutive 64-byte blocks.
    void transform(const unsigned char* blocks, std::size_t count);

    std::uint32_t state[4] = {};
    std::uint32_t bitCount[2] = {};  // message length in bits, low word first
    unsigned char buffer[64] = {};
};

}  // namespace net
