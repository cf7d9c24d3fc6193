// decodePass on arbitrary text (a hand-edited PASS value), and the round trips with encodePass.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_expect.h"
#include "settings/password_scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string decoded = settings::decodePass(text);
    FUZZ_EXPECT(decoded.size() == (text.size() + 1) / 2);

    // Any password survives being stored and read back.
    FUZZ_EXPECT(settings::decodePass(settings::encodePass(text)) == text);

    // A stored form as the program writes it (pairs of 'A'..'P' then 'G'..'V') is read back to itself.
    bool wellFormed = text.size() % 2 == 0;
    for (std::size_t i = 0; wellFormed && i < text.size(); ++i) {
        const char low = i % 2 == 0 ? 'A' : 'G';
        wellFormed = text[i] >= low && text[i] <= low + 15;
    }
    if (wellFormed) {
        FUZZ_EXPECT(settings::encodePass(decoded) == text);
    }
    return 0;
}
