#pragma once

namespace text {

// Converts JIS X 0208 pairs to Shift_JIS eight pairs at a time while the next sixteen bytes are all pair bytes
// (0x21-0x7E) and at least sixteen are left; the rest is left to the caller's loop. `p` must be at the start of
// a pair. Needs SSSE3 (see base::processorHasSsse3). Writes as many bytes as it reads; returns how far it read, and
// moves `out` past what it wrote.
const unsigned char* jisPairBlocksToSjis(const unsigned char* p, const unsigned char* end, char*& out);

}  // namespace text
