#include "mime/base64_blocks.h"

#include "base/cpu_features.h"

#if QV_HAVE_X86_VECTORS
#include <tmmintrin.h>
#endif

namespace mime {

#if QV_HAVE_X86_VECTORS

// Each character's value comes from its own byte with two shuffles: a table by the low four bits and one by the
// high four bits share no bit for a character of the alphabet, and a third table, by the high four bits ('/'
// apart), gives what to add to the character to get its value. Multiply-adds then pack the 6-bit values into
// bytes, and a last shuffle puts them in order.
QV_TARGET_SSSE3 const unsigned char* decodeBase64Blocks(const unsigned char* p, const unsigned char* end, char*& out) {
    const __m128i byLowBits =
        _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m128i byHighBits =
        _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m128i offsets = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i slash = _mm_set1_epi8(0x2F);  // also keeps the four bits a shuffle reads
    const __m128i zero = _mm_setzero_si128();
    char* pos = out;
    while (end - p >= 24) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i high = _mm_and_si128(_mm_srli_epi32(in, 4), slash);
        const __m128i low = _mm_and_si128(in, slash);
        const __m128i clash = _mm_and_si128(_mm_shuffle_epi8(byLowBits, low), _mm_shuffle_epi8(byHighBits, high));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(clash, zero)) != 0xFFFF) {
            break;  // a character outside the alphabet: the caller's rules apply
        }
        const __m128i offset = _mm_shuffle_epi8(offsets, _mm_add_epi8(_mm_cmpeq_epi8(in, slash), high));
        const __m128i values = _mm_add_epi8(in, offset);
        const __m128i pairs = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));
        const __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
        const __m128i bytes =
            _mm_shuffle_epi8(groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pos), bytes);
        pos += 12;
        p += 16;
    }
    out = pos;
    return p;
}

#else

const unsigned char* decodeBase64Blocks(const unsigned char* p, const unsigned char*, char*&) {
    return p;
}

#endif

}  // namespace mime
