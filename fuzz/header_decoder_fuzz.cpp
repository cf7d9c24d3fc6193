// decodeHeaderText on arbitrary bytes, on well-formed ISO-2022-JP encoded words whose decoding glibc's iconv
// can tell independently, and on UTF-8 text split into adjacent words at arbitrary bytes (mid-character too);
// and each charset's conversion on arbitrary bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/base64_encode.h"
#include "fuzz/fuzz_expect.h"
#include "mime/header_decoder.h"
#include "text/to_shift_jis.h"

namespace {

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

// Arbitrary text: the decoder never fails, at most doubles the text ("〓" for a byte), and leaves alone what
// it must leave alone.
void checkArbitrary(const std::string& text) {
    const std::string decoded = mime::decodeHeaderText(text);
    FUZZ_EXPECT(decoded.size() <= 2 * text.size());
    // Decoded into a string that still holds the last input's result, as a reader reuses its fields.
    static std::string reused;
    mime::decodeHeaderText(text, reused);
    FUZZ_EXPECT(reused == decoded);
    const std::size_t open = text.find("=?");
    const std::size_t close = text.rfind("?=");
    if (open != std::string::npos && (close == std::string::npos || close < open + 2)) {
        FUZZ_EXPECT(decoded == text);  // "=?" without a "?=" after it: returned exactly as it came
    }
    bool eightBit = false;
    for (const char c : text) {
        eightBit = eightBit || static_cast<unsigned char>(c) >= 0x80;
    }
    if (open == std::string::npos && text.find('\x1b') == std::string::npos && !eightBit) {
        FUZZ_EXPECT(decoded == text);  // no word, no JIS escape, no 8-bit byte: nothing to convert
    }
}

// UTF-8 text of arbitrary code points, split at arbitrary bytes into adjacent B or Q words: the words join
// before the conversion, so the result is the conversion of the whole text.
void checkSplitUtf8(FuzzedDataProvider& input) {
    std::string utf8;
    const std::size_t characters = input.ConsumeIntegralInRange<std::size_t>(1, 16);
    for (std::size_t i = 0; i < characters && input.remaining_bytes() >= 3; ++i) {
        char32_t cp = input.ConsumeIntegralInRange<char32_t>(0x20, 0x10FFFF);
        if ((cp >= 0xD800 && cp < 0xE000) || cp == 0xFEFF) {
            cp = 0x3042;
        }
        if (cp < 0x80) {
            utf8 += static_cast<char>(cp);
        } else if (cp < 0x800) {
            utf8 += static_cast<char>(0xC0 | (cp >> 6));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (cp >> 12));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (cp >> 18));
            utf8 += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, utf8.size() - at);
        const std::string bytes = utf8.substr(at, piece);
        if (at > 0) {
            text += input.ConsumeBool() ? " " : "\r\n ";
        }
        if (input.ConsumeBool()) {
            text += "=?utf-8?B?" + fuzz::base64(bytes) + "?=";
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            text += "=?UTF-8?Q?";
            for (const char c : bytes) {
                const auto b = static_cast<unsigned char>(c);
                text += '=';
                text += kHex[b >> 4];
                text += kHex[b & 15];
            }
            text += "?=";
        }
        at += piece;
    }
    const std::string expected = text::toShiftJis(text::Charset::Utf8, utf8);
    FUZZ_EXPECT(mime::decodeHeaderText(text) == expected);
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
        text += "=?ISO-2022-JP?B?" + fuzz::base64(jis.substr(at, piece)) + "?=";
        at += piece;
    }
    text += suffix;
    const std::string decoded = mime::decodeHeaderText(text);
    if (decoded != prefix + expected + suffix) {
        std::fprintf(stderr, "input:    %s\n", text.c_str());
    }
    FUZZ_EXPECT(decoded == prefix + expected + suffix);
}

// Each charset's converter on arbitrary bytes, held in a buffer of exactly their size so that a read beyond the end
// is caught: at most two bytes out per byte in. The Chinese and Korean converters drop a character cut off by the
// end: the text cut anywhere converts to the start of the whole.
void checkConversion(FuzzedDataProvider& input) {
    using text::Charset;
    const auto charset = static_cast<Charset>(input.ConsumeIntegralInRange<int>(0, static_cast<int>(Charset::EucKr)));
    const std::vector<char> bytes = input.ConsumeRemainingBytes<char>();
    const std::string out = text::toShiftJis(charset, std::string_view(bytes.data(), bytes.size()));
    FUZZ_EXPECT(out.size() <= 2 * bytes.size());
    if (charset == Charset::Gbk || charset == Charset::Big5 || charset == Charset::EucKr) {
        // The last 64 cuts: enough for every sequence, and quick on long inputs.
        for (std::size_t cut = bytes.size() > 64 ? bytes.size() - 64 : 0; cut < bytes.size(); ++cut) {
            const std::vector<char> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            const std::string start = text::toShiftJis(charset, std::string_view(part.data(), part.size()));
            FUZZ_EXPECT(out.compare(0, start.size(), start) == 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (size > 0 && data[0] == 'W') {
        input.ConsumeIntegral<std::uint8_t>();
        checkEncodedName(input);
    } else if (size > 0 && data[0] == 'C') {
        input.ConsumeIntegral<std::uint8_t>();
        checkConversion(input);
    } else if (size > 0 && data[0] == 'U') {
        input.ConsumeIntegral<std::uint8_t>();
        checkSplitUtf8(input);
    } else {
        checkArbitrary(std::string(reinterpret_cast<const char*>(data), size));
    }
    return 0;
}
