#include "mime/quoted_printable_blocks.h"

#include "base/cpu_features.h"

#if QV_HAVE_X86_VECTORS
#include <tmmintrin.h>
#endif

namespace mime {

#if QV_HAVE_X86_VECTORS

// Japanese text in quoted-printable is escapes one after the other ("=E3=81=82"), English text long stretches
// with none: each step takes sixteen bytes and handles one of the two at once. Hex digits are found and valued
// for all sixteen bytes, the escapes that start at 0, 3, 6, 9 and 12 are counted while they are whole, and a
// shuffle and a multiply-add make their bytes. The Q encoding of header words adds two rules: '_' stands for a
// blank, and the word's text ends at '?' or at a byte that is no printable ASCII, where the step stops.
namespace {

template <bool QEncoding>
QV_TARGET_SSSE3 const unsigned char* decodeBlocks(const unsigned char* p, const unsigned char* end, char*& out) {
    const __m128i equals = _mm_set1_epi8('=');
    const __m128i digitsAfterEquals = _mm_setr_epi8(1, 2, 4, 5, 7, 8, 10, 11, 13, 14, -1, -1, -1, -1, -1, -1);
    const __m128i highAndLow = _mm_set1_epi16(0x0110);  // bytes 16, 1: high digit * 16 + low digit
    char* pos = out;
    while (end - p >= 16) {
        __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(in, equals)));
        unsigned special = marks;
        if (QEncoding) {
            const __m128i fromBang = _mm_sub_epi8(in, _mm_set1_epi8(0x21));
            const __m128i printable = _mm_cmpeq_epi8(_mm_min_epu8(fromBang, _mm_set1_epi8(0x7E - 0x21)), fromBang);
            const __m128i ends =
                _mm_or_si128(_mm_cmpeq_epi8(in, _mm_set1_epi8('?')), _mm_xor_si128(printable, _mm_set1_epi8(-1)));
            special |= static_cast<unsigned>(_mm_movemask_epi8(ends));
            const __m128i underscores = _mm_cmpeq_epi8(in, _mm_set1_epi8('_'));
            in = _mm_xor_si128(in, _mm_and_si128(underscores, _mm_set1_epi8('_' ^ ' ')));
        }
        // How far a step moves is decided by branches, not computed from the bytes: the processor predicts them
        // and loads the next sixteen bytes at once, where a computed step would wait for this one's arithmetic.
        if (special == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pos), in);
            pos += 16;
            p += 16;
            continue;
        }
        if ((special & 1) == 0) {
            // Plain bytes up to the first '=' (or end of a word's text) are copied as they are.
            const unsigned plain = static_cast<unsigned>(__builtin_ctz(special));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pos), in);
            pos += plain;
            p += plain;
            continue;
        }
        if (QEncoding && (marks & 1) == 0) {
            break;  // the end of the word's text
        }
        // A byte's value as a hex digit, and whether it is one: '0'-'9', 'A'-'F', 'a'-'f'.
        const __m128i digit = _mm_sub_epi8(in, _mm_set1_epi8('0'));
        const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
        const __m128i letter = _mm_sub_epi8(_mm_or_si128(in, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
        const __m128i value = _mm_or_si128(_mm_and_si128(isDigit, digit),
                                           _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
        const __m128i pairs = _mm_shuffle_epi8(value, digitsAfterEquals);
        const __m128i bytes = _mm_maddubs_epi16(pairs, highAndLow);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pos), _mm_packus_epi16(bytes, bytes));
        const unsigned hex = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)));
        const unsigned whole = marks & (hex >> 1) & (hex >> 2);  // bit i: a whole escape starts at i
        if ((whole & 0x1249) == 0x1249) {
            pos += 5;  // five escapes in a row, the common case of Japanese text
            p += 15;
            continue;
        }
        // Fewer: the escapes at 0, 3, 6 and 9 as bits, and how many of them come one after the other.
        const unsigned steps = (whole & 1) | ((whole >> 2) & 2) | ((whole >> 4) & 4) | ((whole >> 6) & 8);
        const unsigned run = static_cast<unsigned>(__builtin_ctz(~steps));
        if (run == 0) {
            *pos++ = '=';  // an '=' that starts no escape stays as it is
            ++p;
            continue;
        }
        pos += run;
        p += 3 * run;
    }
    out = pos;
    return p;
}

}  // namespace

QV_TARGET_SSSE3 const unsigned char* decodeQuotedPrintableBlocks(const unsigned char* p,
                                                                 const unsigned char* end,
                                                                 char*& out) {
    return decodeBlocks<false>(p, end, out);
}

QV_TARGET_SSSE3 const unsigned char* decodeQEncodedBlocks(const unsigned char* p,
                                                          const unsigned char* end,
                                                          char*& out) {
    return decodeBlocks<true>(p, end, out);
}

#else

const unsigned char* decodeQuotedPrintableBlocks(const unsigned char* p, const unsigned char*, char*&) {
    return p;
}

const unsigned char* decodeQEncodedBlocks(const unsigned char* p, const unsigned char*, char*&) {
    return p;
}

#endif

}  // namespace mime
