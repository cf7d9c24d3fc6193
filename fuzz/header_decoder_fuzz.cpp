// decodeHeaderText on arbitrary bytes, and on well-formed ISO-2022-JP encoded words whose decoding glibc's
// iconv can tell independently.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_expect.h"
#include "mail/header_decoder.h"

namespace {

std::string base64(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (i + 2 < bytes.size()) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

// The Shift_JIS (CP932) bytes of one JIS X 0208 character by iconv, or "" when iconv has no mapping for it.
std::string iconvSjis(unsigned char j1, unsigned char j2) {
    static iconv_t converter = iconv_open("CP932", "ISO-2022-JP");
    std::string jis = "\x1b$B";
    jis += static_cast<char>(j1);
    jis += static_cast<char>(j2);
    jis += "\x1b(B";
    char out[16];
    char* in = jis.data();
    std::size_t inLeft = jis.size();
    char* outPos = out;
    std::size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &outPos, &outLeft) == static_cast<std::size_t>(-1)) {
        return "";
    }
    return std::string(out, outPos);
}

// Arbitrary text: the decoder never fails, never grows the text, and leaves alone what it must leave alone.
void checkArbitrary(const std::string& text) {
    const std::string decoded = mail::decodeHeaderText(text);
    FUZZ_EXPECT(decoded.size() <= text.size());
    const std::size_t open = text.find("=?");
    const std::size_t close = text.rfind("?=");
    if (open != std::string::npos && (close == std::string::npos || close < open + 2)) {
        FUZZ_EXPECT(decoded == text);  // "=?" without a "?=" after it: returned exactly as it came
    }
    if (open == std::string::npos && text.find('\x1b') == std::string::npos) {
        FUZZ_EXPECT(decoded == text);  // no word and no JIS escape: nothing to convert
    }
}

// A name made of JIS X 0208 characters, sent as one or more adjacent B-encoded ISO-2022-JP words (split at
// arbitrary byte positions, as some mailers do) between plain ASCII text: the result is the ASCII around the
// Shift_JIS characters that iconv gives for the same JIS text.
void checkEncodedName(FuzzedDataProvider& input) {
    std::string jis = "\x1b$B";
    std::string expected;
    const std::string prefix = "Re: ";
    const std::string suffix = " <neko@example.jp>";
    const std::size_t characters = input.ConsumeIntegralInRange<std::size_t>(1, 24);
    for (std::size_t i = 0; i < characters && input.remaining_bytes() >= 2; ++i) {
        const auto j1 = static_cast<unsigned char>(0x21 + input.ConsumeIntegral<std::uint8_t>() % 94);
        const auto j2 = static_cast<unsigned char>(0x21 + input.ConsumeIntegral<std::uint8_t>() % 94);
        const std::string sjis = iconvSjis(j1, j2);
        if (sjis.size() != 2) {
            continue;  // a cell that iconv leaves unassigned: no independent answer for it
        }
        jis += static_cast<char>(j1);
        jis += static_cast<char>(j2);
        expected += sjis;
    }
    jis += "\x1b(B";
    std::string text = prefix;
    std::size_t at = 0;
    while (at < jis.size()) {
        const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, jis.size() - at);
        if (at > 0) {
            text += input.ConsumeBool() ? " " : "\r\n\t";
        }
        text += "=?ISO-2022-JP?B?" + base64(jis.substr(at, piece)) + "?=";
        at += piece;
    }
    text += suffix;
    const std::string decoded = mail::decodeHeaderText(text);
    if (decoded != prefix + expected + suffix) {
        std::fprintf(stderr, "input:    %s\n", text.c_str());
    }
    FUZZ_EXPECT(decoded == prefix + expected + suffix);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (size > 0 && data[0] == 'W') {
        input.ConsumeIntegral<std::uint8_t>();
        checkEncodedName(input);
    } else {
        checkArbitrary(std::string(reinterpret_cast<const char*>(data), size));
    }
    return 0;
}
