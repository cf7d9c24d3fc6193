#include "mail/transfer_decoding.h"

#include <cstdint>
#include <cstring>

#include "mail/base64_decoder.h"
#include "mail/mime_fields.h"

namespace mail {

namespace {

// A hex digit's value as the high and as the low half of a byte; 0x100 for what is no hex digit, so that the
// two halves of an escape, or-ed, show a bad digit in one test.
struct HexTable {
    std::uint16_t high[256];
    std::uint16_t low[256];
    HexTable() {
        for (int i = 0; i < 256; ++i) {
            high[i] = low[i] = 0x100;
        }
        const auto set = [this](int c, int value) {
            high[c] = static_cast<std::uint16_t>(value << 4);
            low[c] = static_cast<std::uint16_t>(value);
        };
        for (int i = 0; i < 10; ++i) {
            set('0' + i, i);
        }
        for (int i = 0; i < 6; ++i) {
            set('A' + i, 10 + i);
            set('a' + i, 10 + i);
        }
    }
};

const HexTable kHex;

// One quoted-printable line: =XX is a byte, a final '=' a soft line break (no line end), and blanks at the
// end of a line were added on the way. An '=' without two hex digits after it stays as it is.
// Writes at most the line's length plus one byte at `pos`; returns the end.
char* decodeQuotedPrintableLine(std::string_view line, char* pos) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const auto* end = p + line.size();
    // Up to the last two bytes, an '=' always has two bytes after it to read.
    const auto* checkedEnd = line.size() > 2 ? end - 2 : p;
    while (p < checkedEnd) {
        const unsigned char c = *p;
        if (c == '=') {
            const unsigned value = kHex.high[p[1]] | kHex.low[p[2]];
            if (value < 0x100) {
                *pos++ = static_cast<char>(value);
                p += 3;
                continue;
            }
        }
        *pos++ = static_cast<char>(c);
        ++p;
    }
    bool soft = false;
    for (; p < end; ++p) {
        if (*p == '=' && p + 1 == end) {
            soft = true;
            break;
        }
        *pos++ = static_cast<char>(*p);
    }
    if (!soft) {
        *pos++ = '\n';
    }
    return pos;
}

}  // namespace

void decodeTransfer(std::string_view encoding,
                    const std::vector<std::string>& lines,
                    std::size_t begin,
                    std::size_t end,
                    std::string& out) {
    out.clear();
    std::size_t total = 0;
    for (std::size_t i = begin; i < end; ++i) {
        total += lines[i].size() + 1;
    }
    out.reserve(total);
    const std::string_view kind = encoding.substr(encoding.find_first_not_of(" \t") == std::string_view::npos
                                                      ? encoding.size()
                                                      : encoding.find_first_not_of(" \t"));
    if (startsWithNoCase(kind, "base64")) {
        // Four characters become at most three bytes, with room for the last group's slack.
        out.resize(total + 3);
        char* pos = &out[0];
        Base64BodyDecoder decoder;
        for (std::size_t i = begin; i < end; ++i) {
            pos = decoder.feed(lines[i], pos);
        }
        pos = decoder.finish(pos);
        out.resize(static_cast<std::size_t>(pos - out.data()));
    } else if (startsWithNoCase(kind, "quoted-printable")) {
        // Decoding never lengthens a line: one buffer, written straight through.
        out.resize(total);
        char* pos = &out[0];
        for (std::size_t i = begin; i < end; ++i) {
            pos = decodeQuotedPrintableLine(lines[i], pos);
        }
        out.resize(static_cast<std::size_t>(pos - out.data()));
    } else {
        out.resize(total);
        char* pos = &out[0];
        for (std::size_t i = begin; i < end; ++i) {
            std::memcpy(pos, lines[i].data(), lines[i].size());
            pos += lines[i].size();
            *pos++ = '\n';
        }
    }
}

}  // namespace mail
