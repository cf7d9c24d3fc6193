#include "mail/jis_converter.h"

namespace mail {

namespace {

constexpr int kEsc = 0x1B;

bool isJisByte(int b) {
    return b >= 0x21 && b <= 0x7E;
}

}  // namespace

JisConverter::JisConverter(std::istream& in, std::ostream& out) : in_(in), out_(out) {
}

void JisConverter::run() {
    if (!in_ || !out_) {
        return;
    }
    kanjiMode_ = false;
    const auto eof = std::istream::traits_type::eof();
    for (;;) {
        const int b = in_.get();
        if (b == eof) {
            return;
        }
        if (b == kEsc) {
            if (!escape()) {
                return;
            }
            continue;
        }
        if (kanjiMode_ && isJisByte(b)) {
            const int c = in_.get();
            if (c == eof) {
                // A lone lead byte at the very end cannot be converted; it is kept as it came.
                out_.put(static_cast<char>(b));
                return;
            }
            unsigned char first = static_cast<unsigned char>(b);
            unsigned char second = static_cast<unsigned char>(c);
            if (isJisByte(c)) {
                jisToSjis(first, second);
            }
            out_.put(static_cast<char>(first));
            out_.put(static_cast<char>(second));
            continue;
        }
        out_.put(static_cast<char>(b));
    }
}

bool JisConverter::escape() {
    const auto eof = std::istream::traits_type::eof();
    const int c = in_.get();
    if (c == eof) {
        out_.put(static_cast<char>(kEsc));
        return false;
    }
    if (c == '$' || c == '(') {
        const int d = in_.get();
        if (c == '$' && (d == '@' || d == 'B')) {
            kanjiMode_ = true;
            return true;
        }
        if (c == '(' && (d == 'B' || d == 'J' || d == 'H')) {
            kanjiMode_ = false;
            return true;
        }
        // Not a sequence we know (or cut off): its bytes go out as they came.
        out_.put(static_cast<char>(kEsc));
        out_.put(static_cast<char>(c));
        if (d == eof) {
            return false;
        }
        out_.put(static_cast<char>(d));
        return true;
    }
    if (c == 'K') {
        kanjiMode_ = true;
        return true;
    }
    if (c == 'H') {
        kanjiMode_ = false;
        return true;
    }
    out_.put(static_cast<char>(kEsc));
    out_.put(static_cast<char>(c));
    return true;
}

void jisToSjis(unsigned char& first, unsigned char& second) {
    const unsigned j1 = first;
    const unsigned j2 = second;
    if (j1 & 1) {
        second = static_cast<unsigned char>(j2 < 0x60 ? j2 + 0x1F : j2 + 0x20);
    } else {
        second = static_cast<unsigned char>(j2 + 0x7E);
    }
    first = static_cast<unsigned char>(j1 < 0x5F ? (j1 + 0xE1) / 2 : (j1 + 0x161) / 2);
}

}  // namespace mail
