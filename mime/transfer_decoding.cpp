#include "mime/transfer_decoding.h"

#include <cstdint>
#include <cstring>

#include "base/ascii.h"
#include "base/cpu_features.h"
#include "base/hex_digits.h"
#include "mime/base64_decoder.h"
#include "mime/quoted_printable_blocks.h"

namespace mime {

namespace {

// One quoted-printable line: =XX is a byte, a final '=' a soft line break (no line end), and blanks at the
// end of a line were added on the way. An '=' without two hex digits after it stays as it is.
// Writes at most the line's length plus one byte at `pos`; returns the end.
char* decodeQuotedPrintableLine(std::string_view line, char* pos) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const auto* end = p + line.size();
    if (base::processorHasSsse3()) {
        p = decodeQuotedPrintableBlocks(p, end, pos);
    }
    base::decodeHexEscapes(p, end, pos, [](unsigned char c) { return static_cast<char>(c); });
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
    const std::string_view kind = base::trim(encoding, " \t");
    if (base::startsWithNoCase(kind, "base64")) {
        // Four characters become at most three bytes, with room for the last group's slack.
        out.resize(total + 3);
        char* pos = &out[0];
        Base64BodyDecoder decoder;
        for (std::size_t i = begin; i < end; ++i) {
            pos = decoder.feed(lines[i], pos);
        }
        pos = decoder.finish(pos);
        out.resize(static_cast<std::size_t>(pos - out.data()));
    } else if (base::startsWithNoCase(kind, "quoted-printable")) {
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

}  // namespace mime
