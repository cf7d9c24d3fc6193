#pragma once

#include <istream>
#include <ostream>

namespace mime {

// Converts 7-bit JIS (ISO-2022-JP) to Shift_JIS, byte stream to byte stream, by the span conversion of
// text/jis_to_sjis.h: escape sequences switch between ASCII, JIS X 0208 pairs and JIS X 0201 katakana.
// Everything else, unknown escape sequences included, passes through unchanged, so malformed input never
// fails.
class JisConverter {
public:
    JisConverter(std::istream& in, std::ostream& out);
    virtual ~JisConverter() = default;

    JisConverter(const JisConverter&) = delete;
    JisConverter& operator=(const JisConverter&) = delete;

    // Converts everything left in the input, starting in ASCII mode on every run. Returns at once when
    // either stream is already failed.
    void run();

private:
    std::istream& in_;
    std::ostream& out_;
};

// Turns one JIS X 0208 pair (both bytes in 0x21-0x7E) into its Shift_JIS pair, in place.
void jisToSjis(unsigned char& first, unsigned char& second);

}  // namespace mime
