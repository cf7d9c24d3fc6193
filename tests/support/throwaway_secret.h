#pragma once

#include <cstddef>
#include <string>

namespace testenv {

// Lengths around the points where a text leaves its inline buffer or grows (15, 16, 24 and 37 among them).
inline constexpr std::size_t kSecretLengths[] = {9, 15, 16, 24, 30, 37, 64, 100, 1018};

// A throwaway password of the length, from a seed, that no other text of a test contains.
inline std::string throwawaySecret(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('k' + (i * 7 + length) % 13);
    }
    return text;
}

}  // namespace testenv
