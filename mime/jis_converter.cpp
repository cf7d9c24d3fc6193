#include "mime/jis_converter.h"

#include <iterator>
#include <string>

#include "text/jis_to_sjis.h"

namespace mime {

JisConverter::JisConverter(std::istream& in, std::ostream& out) : in_(in), out_(out) {
}

void JisConverter::run() {
    if (!in_ || !out_) {
        return;
    }
    // One read, one span conversion, one write: no call per byte.
    const std::string input{std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>()};
    std::string output(2 * input.size(), '\0');
    const char* end = text::iso2022JpToSjis(input, &output[0]);
    out_.write(output.data(), end - output.data());
}

void jisToSjis(unsigned char& first, unsigned char& second) {
    text::jisPairToSjis(first, second);
}

}  // namespace mime
