#pragma once

#include <string>

namespace settings {

// The password is kept in the settings file only in this scrambled form: each byte becomes two letters, the low
// four bits (XOR the key's low four bits) as 'A'..'P', then the high four bits (XOR the key's high four bits) as
// 'G'..'V'. Changing the key makes every stored password unreadable.
constexpr unsigned char kPassScrambleKey = 0xA3;

std::string encodePass(const std::string& pass);

// The inverse of encodePass. Nothing is validated: letters outside the two ranges decode to whatever the
// arithmetic gives, and a lone last letter decodes as if its partner were a zero byte.
std::string decodePass(const std::string& scrambled);

}  // namespace settings
