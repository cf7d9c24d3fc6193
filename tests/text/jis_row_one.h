#pragma once

#include "tests/text/jis_pair_rule.h"

// The characters that Japanese mail from Macs, phones and web mail writes for marks of JIS X 0208 rows 1 and 2, and
// the JIS place (row, cell) each is read at. Windows writes none of them there: they are the table's only departures
// from Windows' code page 932.
namespace testjis {

struct JisPlace {
    char32_t codePoint;
    unsigned row;
    unsigned cell;

    unsigned sjis() const {
        unsigned char lead = 0;
        unsigned char trail = 0;
        pairToSjis(0x20 + row, 0x20 + cell, lead, trail);
        return lead * 256u + trail;
    }
};

constexpr JisPlace kReadAtJisPlace[] = {
    {0x301C, 1, 33},  // wave dash
    {0x2016, 1, 34},  // double vertical line
    {0x2212, 1, 61},  // minus sign
    {0x00A2, 1, 81},  // cent sign
    {0x00A3, 1, 82},  // pound sign
    {0x00AC, 2, 44},  // not sign
    {0x2014, 1, 29},  // em dash
};

// The Shift_JIS code of the JIS place a code point is read at, 0 when it is none of these.
inline unsigned jisPlaceOf(char32_t codePoint) {
    for (const JisPlace& place : kReadAtJisPlace) {
        if (place.codePoint == codePoint) {
            return place.sjis();
        }
    }
    return 0;
}

}  // namespace testjis
