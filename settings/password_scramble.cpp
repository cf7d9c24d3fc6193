#include "settings/password_scramble.h"

namespace settings {

namespace {

constexpr unsigned kLowKey = kPassScrambleKey & 0x0F;
constexpr unsigned kHighKey = (kPassScrambleKey >> 4) & 0x0F;

}  // namespace

std::string encodePass(const std::string& pass) {
    std::string scrambled;
    scrambled.reserve(pass.size() * 2);
    for (unsigned char byte : pass) {
        scrambled += static_cast<char>('A' + ((byte & 0x0F) ^ kLowKey));
        scrambled += static_cast<char>('G' + (((byte >> 4) & 0x0F) ^ kHighKey));
    }
    return scrambled;
}

std::string decodePass(const std::string& scrambled) {
    std::string pass;
    pass.reserve((scrambled.size() + 1) / 2);
    for (std::size_t i = 0; i < scrambled.size(); i += 2) {
        // Unsigned arithmetic: only the low eight bits survive, and they are the same as with signed chars.
        unsigned low = static_cast<unsigned char>(scrambled[i]) - unsigned{'A'};
        unsigned highLetter = i + 1 < scrambled.size() ? static_cast<unsigned char>(scrambled[i + 1]) : 0u;
        unsigned high = highLetter - unsigned{'G'};
        pass += static_cast<char>(((low | (high << 4)) ^ kPassScrambleKey) & 0xFF);
    }
    return pass;
}

}  // namespace settings
