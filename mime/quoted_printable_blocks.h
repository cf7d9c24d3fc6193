#pragma once

namespace mime {

// Decodes quoted-printable sixteen bytes at a time while at least sixteen are left before `end`: a stretch
// without '=' is copied whole, and up to five "=XY" escapes in a row are decoded in one step. Every byte it
// reads is decoded by the plain rule (an '=' without two hex digits after it stays as it is); what is left,
// fewer than sixteen bytes, is for the caller's loop. Needs SSSE3 (see base::processorHasSsse3). Stores sixteen
// bytes at a time at `out`, never past where the input read so far ends, so decoding in place or into room the
// size of the input is safe. Returns how far it read; `out` is moved past what it wrote.
const unsigned char* decodeQuotedPrintableBlocks(const unsigned char* p, const unsigned char* end, char*& out);

// The same for the Q text of a header's encoded word, whose '_' is a blank: it also stops before '?' or a byte
// that is no printable ASCII, where the word's text ends.
const unsigned char* decodeQEncodedBlocks(const unsigned char* p, const unsigned char* end, char*& out);

}  // namespace mime
