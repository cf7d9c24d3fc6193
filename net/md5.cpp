#include "net/md5.h"

#include <cstring>

namespace net {

namespace {

std::uint32_t rotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & y) | (~x & z);
}
std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) | (y & ~z);
}
std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

// Per step: the shift amounts of each round, and the sine-derived constants T[1..64].
constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
constexpr std::uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

void encodeLittleEndian(unsigned char* out, const std::uint32_t* words, int count) {
    for (int n = 0; n < count; ++n) {
        for (int byte = 0; byte < 4; ++byte) {
            out[n * 4 + byte] = static_cast<unsigned char>(words[n] >> (8 * byte));
        }
    }
}

}  // namespace

void Md5Context::init() {
    state[0] = 0x67452301;
    state[1] = 0xefcdab89;
    state[2] = 0x98badcfe;
    state[3] = 0x10325476;
    bitCount[0] = bitCount[1] = 0;
}

void Md5Context::update(const void* data, std::size_t length) {
    const unsigned char* input = static_cast<const unsigned char*>(data);
    std::size_t used = (bitCount[0] >> 3) & 0x3F;
    // The bit count is kept modulo 2^64 in two words.
    std::uint64_t bits =
        (static_cast<std::uint64_t>(bitCount[1]) << 32 | bitCount[0]) + (static_cast<std::uint64_t>(length) << 3);
    bitCount[0] = static_cast<std::uint32_t>(bits);
    bitCount[1] = static_cast<std::uint32_t>(bits >> 32);

    std::size_t room = 64 - used;
    std::size_t done = 0;
    if (length >= room) {
        std::memcpy(buffer + used, input, room);
        transform(buffer);
        for (done = room; done + 64 <= length; done += 64) {
            transform(input + done);
        }
        used = 0;
    }
    if (length > done) {
        std::memcpy(buffer + used, input + done, length - done);
    }
}

void Md5Context::final(unsigned char digest[16]) {
    unsigned char lengthBytes[8];
    encodeLittleEndian(lengthBytes, bitCount, 2);
    // Pad with a one bit and zeros to 56 bytes modulo 64, then append the length.
    static const unsigned char kPadding[64] = {0x80};
    std::size_t used = (bitCount[0] >> 3) & 0x3F;
    update(kPadding, used < 56 ? 56 - used : 120 - used);
    update(lengthBytes, 8);
    encodeLittleEndian(digest, state, 4);
    std::memset(state, 0, sizeof state);
    std::memset(bitCount, 0, sizeof bitCount);
    std::memset(buffer, 0, sizeof buffer);
}

void Md5Context::transform(const unsigned char block[64]) {
    std::uint32_t x[16];
    for (int n = 0; n < 16; ++n) {
        x[n] = static_cast<std::uint32_t>(block[n * 4]) | static_cast<std::uint32_t>(block[n * 4 + 1]) << 8 |
               static_cast<std::uint32_t>(block[n * 4 + 2]) << 16 | static_cast<std::uint32_t>(block[n * 4 + 3]) << 24;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int step = 0; step < 64; ++step) {
        int round = step / 16;
        std::uint32_t mixed;
        int word;
        switch (round) {
            case 0:
                mixed = f(b, c, d);
                word = step;
                break;
            case 1:
                mixed = g(b, c, d);
                word = (5 * step + 1) % 16;
                break;
            case 2:
                mixed = h(b, c, d);
                word = (3 * step + 5) % 16;
                break;
            default:
                mixed = i(b, c, d);
                word = (7 * step) % 16;
                break;
        }
        std::uint32_t rotated = rotateLeft(a + mixed + x[word] + kSines[step], kShifts[round][step % 4]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace net
