#include "net/md5.h"

#include <cstring>

namespace net {

namespace {

inline std::uint32_t loadLittleEndian(const unsigned char* p) {
    // Compilers turn this into one load on little-endian machines.
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void storeLittleEndian(unsigned char* p, std::uint32_t word) {
    p[0] = static_cast<unsigned char>(word);
    p[1] = static_cast<unsigned char>(word >> 8);
    p[2] = static_cast<unsigned char>(word >> 16);
    p[3] = static_cast<unsigned char>(word >> 24);
}

inline std::uint32_t rotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// The four auxiliary functions, each written with the fewest operations that give RFC 1321's results:
// F = (x & y) | (~x & z), G = (x & z) | (y & ~z), H = x ^ y ^ z, I = y ^ (x | ~z).
inline std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (z & (x ^ y));
}
inline std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
inline std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

}  // namespace

// One step: a = b + ((a + fn(b, c, d) + word + constant) <<< shift). Every step is written out, so the word index,
// the constant and the shift are immediates and nothing is looked up at run time.
#define QV_MD5_STEP(fn, a, b, c, d, word, constant, shift) \
    a += fn(b, c, d) + (word) + (constant);                \
    a = rotateLeft(a, shift) + (b)

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
    const std::uint64_t bits =
        (static_cast<std::uint64_t>(bitCount[1]) << 32 | bitCount[0]) + (static_cast<std::uint64_t>(length) << 3);
    bitCount[0] = static_cast<std::uint32_t>(bits);
    bitCount[1] = static_cast<std::uint32_t>(bits >> 32);

    if (used != 0) {
        const std::size_t room = 64 - used;
        if (length < room) {
            std::memcpy(buffer + used, input, length);
            return;
        }
        std::memcpy(buffer + used, input, room);
        transform(buffer, 1);
        input += room;
        length -= room;
    }
    // Whole blocks straight from the caller's memory, then keep the tail.
    if (length >= 64) {
        transform(input, length / 64);
        input += length & ~static_cast<std::size_t>(63);
        length &= 63;
    }
    if (length != 0) {
        std::memcpy(buffer, input, length);
    }
}

void Md5Context::final(unsigned char digest[16]) {
    // Pad with a one bit and zeros to 56 bytes modulo 64, then append the length in bits.
    std::size_t used = (bitCount[0] >> 3) & 0x3F;
    buffer[used++] = 0x80;
    if (used > 56) {
        std::memset(buffer + used, 0, 64 - used);
        transform(buffer, 1);
        used = 0;
    }
    std::memset(buffer + used, 0, 56 - used);
    storeLittleEndian(buffer + 56, bitCount[0]);
    storeLittleEndian(buffer + 60, bitCount[1]);
    transform(buffer, 1);
    for (int n = 0; n < 4; ++n) {
        storeLittleEndian(digest + 4 * n, state[n]);
    }
    std::memset(state, 0, sizeof state);
    std::memset(bitCount, 0, sizeof bitCount);
    std::memset(buffer, 0, sizeof buffer);
}

void Md5Context::transform(const unsigned char* blocks, std::size_t count) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; count != 0; --count, blocks += 64) {
        const std::uint32_t x0 = loadLittleEndian(blocks), x1 = loadLittleEndian(blocks + 4),
                            x2 = loadLittleEndian(blocks + 8), x3 = loadLittleEndian(blocks + 12),
                            x4 = loadLittleEndian(blocks + 16), x5 = loadLittleEndian(blocks + 20),
                            x6 = loadLittleEndian(blocks + 24), x7 = loadLittleEndian(blocks + 28),
                            x8 = loadLittleEndian(blocks + 32), x9 = loadLittleEndian(blocks + 36),
                            x10 = loadLittleEndian(blocks + 40), x11 = loadLittleEndian(blocks + 44),
                            x12 = loadLittleEndian(blocks + 48), x13 = loadLittleEndian(blocks + 52),
                            x14 = loadLittleEndian(blocks + 56), x15 = loadLittleEndian(blocks + 60);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;

        QV_MD5_STEP(f, a, b, c, d, x0, 0xd76aa478, 7);
        QV_MD5_STEP(f, d, a, b, c, x1, 0xe8c7b756, 12);
        QV_MD5_STEP(f, c, d, a, b, x2, 0x242070db, 17);
        QV_MD5_STEP(f, b, c, d, a, x3, 0xc1bdceee, 22);
        QV_MD5_STEP(f, a, b, c, d, x4, 0xf57c0faf, 7);
        QV_MD5_STEP(f, d, a, b, c, x5, 0x4787c62a, 12);
        QV_MD5_STEP(f, c, d, a, b, x6, 0xa8304613, 17);
        QV_MD5_STEP(f, b, c, d, a, x7, 0xfd469501, 22);
        QV_MD5_STEP(f, a, b, c, d, x8, 0x698098d8, 7);
        QV_MD5_STEP(f, d, a, b, c, x9, 0x8b44f7af, 12);
        QV_MD5_STEP(f, c, d, a, b, x10, 0xffff5bb1, 17);
        QV_MD5_STEP(f, b, c, d, a, x11, 0x895cd7be, 22);
        QV_MD5_STEP(f, a, b, c, d, x12, 0x6b901122, 7);
        QV_MD5_STEP(f, d, a, b, c, x13, 0xfd987193, 12);
        QV_MD5_STEP(f, c, d, a, b, x14, 0xa679438e, 17);
        QV_MD5_STEP(f, b, c, d, a, x15, 0x49b40821, 22);

        QV_MD5_STEP(g, a, b, c, d, x1, 0xf61e2562, 5);
        QV_MD5_STEP(g, d, a, b, c, x6, 0xc040b340, 9);
        QV_MD5_STEP(g, c, d, a, b, x11, 0x265e5a51, 14);
        QV_MD5_STEP(g, b, c, d, a, x0, 0xe9b6c7aa, 20);
        QV_MD5_STEP(g, a, b, c, d, x5, 0xd62f105d, 5);
        QV_MD5_STEP(g, d, a, b, c, x10, 0x02441453, 9);
        QV_MD5_STEP(g, c, d, a, b, x15, 0xd8a1e681, 14);
        QV_MD5_STEP(g, b, c, d, a, x4, 0xe7d3fbc8, 20);
        QV_MD5_STEP(g, a, b, c, d, x9, 0x21e1cde6, 5);
        QV_MD5_STEP(g, d, a, b, c, x14, 0xc33707d6, 9);
        QV_MD5_STEP(g, c, d, a, b, x3, 0xf4d50d87, 14);
        QV_MD5_STEP(g, b, c, d, a, x8, 0x455a14ed, 20);
        QV_MD5_STEP(g, a, b, c, d, x13, 0xa9e3e905, 5);
        QV_MD5_STEP(g, d, a, b, c, x2, 0xfcefa3f8, 9);
        QV_MD5_STEP(g, c, d, a, b, x7, 0x676f02d9, 14);
        QV_MD5_STEP(g, b, c, d, a, x12, 0x8d2a4c8a, 20);

        QV_MD5_STEP(h, a, b, c, d, x5, 0xfffa3942, 4);
        QV_MD5_STEP(h, d, a, b, c, x8, 0x8771f681, 11);
        QV_MD5_STEP(h, c, d, a, b, x11, 0x6d9d6122, 16);
        QV_MD5_STEP(h, b, c, d, a, x14, 0xfde5380c, 23);
        QV_MD5_STEP(h, a, b, c, d, x1, 0xa4beea44, 4);
        QV_MD5_STEP(h, d, a, b, c, x4, 0x4bdecfa9, 11);
        QV_MD5_STEP(h, c, d, a, b, x7, 0xf6bb4b60, 16);
        QV_MD5_STEP(h, b, c, d, a, x10, 0xbebfbc70, 23);
        QV_MD5_STEP(h, a, b, c, d, x13, 0x289b7ec6, 4);
        QV_MD5_STEP(h, d, a, b, c, x0, 0xeaa127fa, 11);
        QV_MD5_STEP(h, c, d, a, b, x3, 0xd4ef3085, 16);
        QV_MD5_STEP(h, b, c, d, a, x6, 0x04881d05, 23);
        QV_MD5_STEP(h, a, b, c, d, x9, 0xd9d4d039, 4);
        QV_MD5_STEP(h, d, a, b, c, x12, 0xe6db99e5, 11);
        QV_MD5_STEP(h, c, d, a, b, x15, 0x1fa27cf8, 16);
        QV_MD5_STEP(h, b, c, d, a, x2, 0xc4ac5665, 23);

        QV_MD5_STEP(i, a, b, c, d, x0, 0xf4292244, 6);
        QV_MD5_STEP(i, d, a, b, c, x7, 0x432aff97, 10);
        QV_MD5_STEP(i, c, d, a, b, x14, 0xab9423a7, 15);
        QV_MD5_STEP(i, b, c, d, a, x5, 0xfc93a039, 21);
        QV_MD5_STEP(i, a, b, c, d, x12, 0x655b59c3, 6);
        QV_MD5_STEP(i, d, a, b, c, x3, 0x8f0ccc92, 10);
        QV_MD5_STEP(i, c, d, a, b, x10, 0xffeff47d, 15);
        QV_MD5_STEP(i, b, c, d, a, x1, 0x85845dd1, 21);
        QV_MD5_STEP(i, a, b, c, d, x8, 0x6fa87e4f, 6);
        QV_MD5_STEP(i, d, a, b, c, x15, 0xfe2ce6e0, 10);
        QV_MD5_STEP(i, c, d, a, b, x6, 0xa3014314, 15);
        QV_MD5_STEP(i, b, c, d, a, x13, 0x4e0811a1, 21);
        QV_MD5_STEP(i, a, b, c, d, x4, 0xf7537e82, 6);
        QV_MD5_STEP(i, d, a, b, c, x11, 0xbd3af235, 10);
        QV_MD5_STEP(i, c, d, a, b, x2, 0x2ad7d2bb, 15);
        QV_MD5_STEP(i, b, c, d, a, x9, 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef QV_MD5_STEP

}  // namespace net
