#pragma once

namespace mime {

// Decodes Base64 sixteen characters at a time while at least 24 characters are left and the next sixteen are all
// in the alphabet; the rest is left to the caller's loop. Needs SSSE3 (see base::processorHasSsse3). Writes 12
// bytes per 16 characters at `out` (storing 16 at a time, within the room a decoder of the whole text has).
// Returns how far it read; `out` is moved past what it wrote.
const unsigned char* decodeBase64Blocks(const unsigned char* p, const unsigned char* end, char*& out);

}  // namespace mime
