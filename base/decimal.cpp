#include "base/decimal.h"

namespace base {

Decimal readDecimal(std::string_view text, std::uint32_t ceiling) {
    Decimal read{0, 0};
    for (; read.digits < text.size(); ++read.digits) {
        const char c = text[read.digits];
        if (c < '0' || c > '9') {
            break;
        }
        const auto digit = static_cast<std::uint32_t>(c - '0');
        read.value = digit > ceiling || read.value > (ceiling - digit) / 10 ? ceiling : read.value * 10 + digit;
    }
    return read;
}

}  // namespace base
