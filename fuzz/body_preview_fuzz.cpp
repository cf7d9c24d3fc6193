// The body preview on arbitrary bodies and header values, and on multipart messages built from the input whose
// text part (UTF-8, in Base64 or quoted-printable with line breaks anywhere, after attachments and nested parts)
// must come out as the conversion of that text. Inputs beginning with 'L' are repeated to a body of 32 KiB and more,
// whose preview must take time in proportion to its size.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "fuzz/base64_encode.h"
#include "fuzz/fuzz_expect.h"
#include "mime/body_preview.h"
#include "text/to_shift_jis.h"

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

std::string base64Lines(const std::string& bytes, std::size_t width) {
    const std::string flat = fuzz::base64(bytes);
    std::string out;
    for (std::size_t i = 0; i < flat.size(); i += width) {
        out += flat.substr(i, width) + "\n";
    }
    return out;
}

// Quoted-printable with every byte but letters and digits escaped, and soft line breaks at the input's choice.
std::string quotedPrintable(const std::string& bytes, FuzzedDataProvider& input) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += '\n';
            continue;
        }
        if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) {
            out += c;
        } else {
            out += '=';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
        if (input.ConsumeIntegralInRange<int>(0, 3) == 0) {
            out += "=\n";
        }
    }
    return out + "\n";
}

// The first `headCount` non-empty lines, each followed by a blank.
std::string firstLines(const std::string& text, int headCount) {
    std::string out;
    int taken = 0;
    for (const std::string& line : splitLines(text)) {
        if (!line.empty() && taken < headCount) {
            out += line + " ";
            ++taken;
        }
    }
    return out;
}

void checkArbitrary(FuzzedDataProvider& input, int headCount) {
    const std::string contentType = input.ConsumeRandomLengthString(80);
    const std::string encoding = input.ConsumeRandomLengthString(20);
    const std::string body = input.ConsumeRemainingBytesAsString();
    const std::vector<std::string> lines = splitLines(body);
    const std::string preview = mime::previewBody(contentType, encoding, lines, headCount);
    FUZZ_EXPECT(preview.empty() || preview.back() == ' ');
    FUZZ_EXPECT(preview.size() <= 2 * body.size() + static_cast<std::size_t>(headCount));
    static std::string reused;  // still holding the last input's preview
    mime::previewBody(contentType, encoding, lines, headCount, reused);
    FUZZ_EXPECT(reused == preview);
    // More wanted lines only add to the end.
    const std::string more = mime::previewBody(contentType, encoding, lines, headCount + 1);
    FUZZ_EXPECT(more.compare(0, preview.size(), preview) == 0);
}

void checkBuiltMessage(FuzzedDataProvider& input, int headCount) {
    // The text: lines of a few Japanese, Cyrillic and ASCII characters and an emoji.
    static const char* const kPieces[] = {"猫", "会議", "です。", "Жук", "abc", " ", "1", "🐱", "\n", "\n\n", "ｶﾅ"};
    std::string text;
    const std::size_t pieces = input.ConsumeIntegralInRange<std::size_t>(1, 30);
    for (std::size_t i = 0; i < pieces; ++i) {
        text += kPieces[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kPieces) - 1)];
    }
    // Blanks at a line's end may be dropped on the way; keep the text free of them.
    std::string clean;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' && (i + 1 == text.size() || text[i + 1] == '\n')) {
            continue;
        }
        clean += text[i];
    }

    std::string message = "preamble line\n\n";
    const int attachments = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < attachments; ++i) {
        message += "--outer\nContent-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n\n";
        message += base64Lines(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 200)), 76);
    }
    const bool nested = input.ConsumeBool();
    if (nested) {
        message += "--outer\nContent-Type: multipart/alternative;\n boundary=\"inner\"\n\n--inner\n";
    } else {
        message += "--outer\n";
    }
    message += "Content-Type: text/plain; charset=\"utf-8\"\n";
    if (input.ConsumeBool()) {
        message += "Content-Transfer-Encoding: base64\n\n" +
                   base64Lines(clean, 4 * input.ConsumeIntegralInRange<std::size_t>(1, 19));
    } else {
        message += "Content-Transfer-Encoding: quoted-printable\n\n" + quotedPrintable(clean, input);
    }
    message += nested ? "--inner\nContent-Type: text/html\n\n<p>html</p>\n--inner--\n--outer--\n" : "--outer--\n";

    const std::string preview =
        mime::previewBody("multipart/mixed; boundary=outer", "", splitLines(message), headCount);
    FUZZ_EXPECT(preview == firstLines(text::toShiftJis(text::Charset::Utf8, clean), headCount));
}

struct PreviewTimes {
    double small = 1e9;
    double large = 1e9;
};

// The shortest of `runs` runs of the preview of each body, in seconds of this thread's processor time (which
// other work on a busy machine does not lengthen, as it lengthens the time on the wall clock), run in turn.
PreviewTimes previewTimes(const std::string& contentType,
                          const std::vector<std::string>& small,
                          const std::vector<std::string>& large,
                          int headCount,
                          int runs) {
    PreviewTimes times;
    std::string preview;
    const auto now = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) + 1e-9 * static_cast<double>(time.tv_nsec);
    };
    const auto seconds = [&](const std::vector<std::string>& lines) {
        const double start = now();
        mime::previewBody(contentType, "", lines, headCount, preview);
        return now() - start;
    };
    for (int run = 0; run < runs; ++run) {
        times.small = std::min(times.small, seconds(small));
        times.large = std::min(times.large, seconds(large));
    }
    return times;
}

// `copies` of the input's text, in lines as a server sends them (at most 1023 characters).
std::vector<std::string> repeatedLines(const std::string& unit, std::size_t copies) {
    std::string body;
    body.reserve(copies * unit.size());
    for (std::size_t i = 0; i < copies; ++i) {
        body += unit;
    }
    std::vector<std::string> lines;
    for (std::string& line : splitLines(body)) {
        for (std::size_t at = 0; at < line.size() || at == 0; at += 1023) {
            lines.push_back(line.substr(at, 1023));
        }
    }
    return lines;
}

// Work per byte read stays bounded: four times the body takes at most six times as long (and 3 ms of slack for
// the clock). A scan that starts again from every position takes up to sixteen times as long.
void checkLinear(FuzzedDataProvider& input, int headCount) {
    constexpr std::size_t kSmallBody = 32 * 1024;
    input.ConsumeBytes<char>(1);  // the 'L'
    const std::string contentType = input.ConsumeRandomLengthString(80);
    const std::string unit = input.ConsumeRemainingBytesAsString();
    if (unit.empty()) {
        return;
    }
    const std::size_t copies = (kSmallBody + unit.size() - 1) / unit.size();
    const std::vector<std::string> small = repeatedLines(unit, copies);
    const std::vector<std::string> large = repeatedLines(unit, 4 * copies);
    // Caches and interrupts still vary: a ratio that one run shows is checked with the shortest of three runs, five
    // times, and only one that all of them show counts.
    bool proportional = false;
    for (int round = 0; round < 6 && !proportional; ++round) {
        const PreviewTimes times = previewTimes(contentType, small, large, headCount, round == 0 ? 1 : 3);
        proportional = times.large <= 6 * times.small + 0.003;
        if (!proportional && round > 0) {
            std::fprintf(stderr, "%zu-byte unit: %.6f s for %zu copies, %.6f s for four times as many\n", unit.size(),
                         times.small, copies, times.large);
        }
    }
    FUZZ_EXPECT(proportional);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int headCount = input.ConsumeIntegralInRange<int>(1, 12);
    if (size > 0 && data[0] == 'M') {
        checkBuiltMessage(input, headCount);
    } else if (size > 0 && data[0] == 'L') {
        checkLinear(input, headCount);
    } else {
        checkArbitrary(input, headCount);
    }
    return 0;
}
