#include "text/jis_pair_blocks.h"

#include "base/cpu_features.h"

#if QV_HAVE_X86_VECTORS
#include <tmmintrin.h>
#endif

namespace text {

#if QV_HAVE_X86_VECTORS

// The pair arithmetic of the plain loop, in sixteen-bit lanes that each hold one pair (first byte low):
//   lead  = (first + 0xE1) / 2, plus 0x40 from first byte 0x5F on;
//   trail = second + 0x7E for an even first byte; for an odd one second + 0x1F, plus 1 from second byte 0x60 on.
QV_TARGET_SSSE3 const unsigned char* jisPairBlocksToSjis(const unsigned char* p, const unsigned char* end, char*& out) {
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    char* pos = out;
    while (end - p >= 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i fromBang = _mm_sub_epi8(in, _mm_set1_epi8(0x21));
        const __m128i inRange = _mm_cmpeq_epi8(_mm_min_epu8(fromBang, _mm_set1_epi8(0x7E - 0x21)), fromBang);
        if (_mm_movemask_epi8(inRange) != 0xFFFF) {
            break;  // an escape, a line end or a stray byte: the plain loop decides
        }
        const __m128i first = _mm_and_si128(in, lowByte);
        const __m128i second = _mm_srli_epi16(in, 8);
        const __m128i lateRow = _mm_and_si128(_mm_cmpgt_epi16(first, _mm_set1_epi16(0x5E)), _mm_set1_epi16(0x40));
        const __m128i lead = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(first, _mm_set1_epi16(0xE1)), 1), lateRow);
        const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(first, _mm_set1_epi16(1)), _mm_set1_epi16(1));
        const __m128i lateColumn = _mm_and_si128(_mm_cmpgt_epi16(second, _mm_set1_epi16(0x5F)), _mm_set1_epi16(1));
        const __m128i oddAdd = _mm_add_epi16(_mm_set1_epi16(0x1F), lateColumn);
        const __m128i add = _mm_or_si128(_mm_and_si128(odd, oddAdd), _mm_andnot_si128(odd, _mm_set1_epi16(0x7E)));
        const __m128i trail = _mm_add_epi16(second, add);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pos), _mm_or_si128(lead, _mm_slli_epi16(trail, 8)));
        pos += 16;
        p += 16;
    }
    out = pos;
    return p;
}

#else

const unsigned char* jisPairBlocksToSjis(const unsigned char* p, const unsigned char*, char*&) {
    return p;
}

#endif

}  // namespace text
