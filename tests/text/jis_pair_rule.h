#pragma once

// The JIS X 0208 to Shift_JIS rule as the standard states it, row and cell at a time: the tests' own oracle for
// the converter's tables.
namespace testjis {

inline void pairToSjis(unsigned j1, unsigned j2, unsigned char& lead, unsigned char& trail) {
    const unsigned row = j1 - 0x21;  // 0-based
    const unsigned cell = j2 - 0x21;
    const unsigned leadValue = row / 2 + (row < 62 ? 0x81 : 0xC1);
    unsigned trailValue = row % 2 == 0 ? cell + 0x40 : cell + 0x9F;
    if (row % 2 == 0 && trailValue >= 0x7F) {
        ++trailValue;  // 0x7F is never a trail byte
    }
    lead = static_cast<unsigned char>(leadValue);
    trail = static_cast<unsigned char>(trailValue);
}

}  // namespace testjis
