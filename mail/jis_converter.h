#pragma once

#include <istream>
#include <ostream>

namespace mail {

// Converts 7-bit JIS (ISO-2022-JP) to Shift_JIS, byte stream to byte stream. Escape sequences switch
// kanji mode; in kanji mode each pair of bytes in 0x21-0x7E is one JIS X 0208 character. Everything
// else, unknown escape sequences included, passes through unchanged, so malformed input never fails.
class JisConverter {
public:
    JisConverter(std::istream& in, std::ostream& out);
    virtual ~JisConverter() = default;

    JisConverter(const JisConverter&) = delete;
    JisConverter& operator=(const JisConverter&) = delete;

    // Converts everything left in the input. Kanji mode starts off on every run. Returns at once when
    // either stream is already failed.
    void run();

private:
    // Handles the bytes after an ESC. Returns false when the input ended inside the sequence.
    bool escape();

    std::istream& in_;
    std::ostream& out_;
    bool kanjiMode_ = false;
};

// Turns one JIS X 0208 pair (both bytes in 0x21-0x7E) into its Shift_JIS pair, in place.
void jisToSjis(unsigned char& first, unsigned char& second);

}  // namespace mail
