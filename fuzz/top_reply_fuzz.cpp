// The TOP reply reader of the check on arbitrary lines: header lines, the empty line that ends them, body lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "mail/top_reply_reader.h"

namespace {

mail::MailEntry read(const std::vector<std::string>& lines, int headCount) {
    mail::TopReplyReader reader(headCount);
    for (const std::string& line : lines) {
        if (!reader.feed(line)) {
            break;
        }
    }
    return reader.entry();
}

bool sameEntry(const mail::MailEntry& a, const mail::MailEntry& b) {
    return a.matches(b) && a.deleteMark == b.deleteMark;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int headCount = input.ConsumeIntegralInRange<int>(1, 12);
    // Lines as the line reader hands them out: without CR, LF or a zero byte.
    std::vector<std::string> lines;
    std::string line;
    bool plain = true;  // no encoded word and no JIS escape: the decoding changes nothing
    for (char c : input.ConsumeRemainingBytesAsString()) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r' && c != '\0') {
            line += c;
            plain = plain && c != '\x1b';
        }
    }
    lines.push_back(line);
    for (const std::string& l : lines) {
        plain = plain && l.find("=?") == std::string::npos;
    }

    const mail::MailEntry entry = read(lines, headCount);
    FUZZ_EXPECT(entry.size == 0 && !entry.deleteMark);
    // However long the header, a decoded field comes from its first kilobytes (at most two bytes for each).
    FUZZ_EXPECT(entry.from.size() <= 2 * mail::kMaxHeaderValueBytes);
    FUZZ_EXPECT(entry.subject.size() <= 2 * mail::kMaxHeaderValueBytes);

    // What follows the closing "." is never read.
    std::size_t dot = 0;
    while (dot < lines.size() && lines[dot] != ".") {
        ++dot;
    }
    if (dot < lines.size()) {
        std::vector<std::string> upToDot(lines.begin(), lines.begin() + static_cast<long>(dot) + 1);
        upToDot.push_back("From: someone else");
        upToDot.push_back("");
        upToDot.push_back("more text");
        FUZZ_EXPECT(sameEntry(read(upToDot, headCount), entry));
    }

    if (plain) {
        // One more wanted line only adds to the end of the first lines; every kept line ends with one blank.
        const mail::MailEntry more = read(lines, headCount + 1);
        FUZZ_EXPECT(more.firstLines.compare(0, entry.firstLines.size(), entry.firstLines) == 0);
        FUZZ_EXPECT(more.from == entry.from && more.subject == entry.subject);
        FUZZ_EXPECT(entry.firstLines.empty() || entry.firstLines.back() == ' ');
        std::size_t inputBytes = 0;
        for (const std::string& l : lines) {
            inputBytes += l.size() + 1;
        }
        // Decoding never more than doubles the text (a single-byte charset's "〓" for each byte).
        FUZZ_EXPECT(entry.firstLines.size() + entry.from.size() + entry.subject.size() <= 2 * inputBytes);
    }
    return 0;
}
