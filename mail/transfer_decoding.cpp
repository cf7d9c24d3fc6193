#include "mail/transfer_decoding.h"

#include "mail/base64_decoder.h"
#include "mail/mime_fields.h"

namespace mail {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// One quoted-printable line: =XX is a byte, a final '=' a soft line break (no line end), and blanks at the
// end of a line were added on the way. An '=' without two hex digits after it stays as it is.
void appendQuotedPrintableLine(std::string_view line, std::string& out) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = line[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 == n) {
            return;  // soft line break
        }
        const int high = i + 2 < n ? hexValue(line[i + 1]) : -1;
        const int low = i + 2 < n ? hexValue(line[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    out += '\n';
}

}  // namespace

std::string decodeTransfer(std::string_view encoding,
                           const std::vector<std::string>& lines,
                           std::size_t begin,
                           std::size_t end) {
    std::string out;
    std::size_t total = 0;
    for (std::size_t i = begin; i < end; ++i) {
        total += lines[i].size() + 1;
    }
    out.reserve(total);
    const std::string_view kind = encoding.substr(encoding.find_first_not_of(" \t") == std::string_view::npos
                                                      ? encoding.size()
                                                      : encoding.find_first_not_of(" \t"));
    if (startsWithNoCase(kind, "base64")) {
        std::string joined;
        joined.reserve(total);
        for (std::size_t i = begin; i < end; ++i) {
            joined += lines[i];
        }
        appendBase64Body(joined, out);
    } else if (startsWithNoCase(kind, "quoted-printable")) {
        for (std::size_t i = begin; i < end; ++i) {
            appendQuotedPrintableLine(lines[i], out);
        }
    } else {
        for (std::size_t i = begin; i < end; ++i) {
            out += lines[i];
            out += '\n';
        }
    }
    return out;
}

}  // namespace mail
