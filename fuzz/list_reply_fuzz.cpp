// The lines of a LIST reply: sizes go to the entries in order, and the whole reply up to "." is read so that the
// next reply is read in step, unless it holds more lines than there are entries: then reading stops there.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "mail/list_sizes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t entryCount = input.ConsumeIntegralInRange<std::size_t>(0, 40);
    std::vector<std::string> lines;
    while (input.remaining_bytes() > 0) {
        lines.push_back(input.ConsumeRandomLengthString(64));
    }
    // The line reader never hands out line ends.
    for (std::string& line : lines) {
        for (char& c : line) {
            if (c == '\r' || c == '\n' || c == '\0') {
                c = ' ';
            }
        }
    }

    mail::MailEntryList entries(entryCount);
    std::size_t next = 0;
    const bool inBounds = mail::readListSizes(entries, [&](std::string& line) {
        if (next == lines.size()) {
            return false;
        }
        line = lines[next++];
        return true;
    });

    // Read up to and including the first ".", or everything when there is none, but never past the first line
    // beyond the entries, which makes the reply too long.
    std::size_t dot = 0;
    while (dot < lines.size() && lines[dot] != ".") {
        ++dot;
    }
    const bool tooLong = dot > entryCount && lines.size() > entryCount;
    FUZZ_EXPECT(inBounds == !tooLong);
    FUZZ_EXPECT(next == (tooLong ? entryCount + 1 : dot < lines.size() ? dot + 1 : lines.size()));

    // The n-th line sizes the n-th entry, until ".", a line without a blank, or the end of the lines.
    static const std::regex usual(R"([0-9]+ ([0-9]{1,9}))");
    std::size_t n = 0;
    bool sizing = true;
    for (const mail::MailEntry& entry : entries) {
        if (sizing && (n >= lines.size() || lines[n] == "." || lines[n].find(' ') == std::string::npos)) {
            sizing = false;
        }
        if (!sizing) {
            FUZZ_EXPECT(entry.size == 0);
        } else {
            FUZZ_EXPECT(mail::listLineSize(lines[n]) == entry.size);
            std::smatch match;
            if (std::regex_match(lines[n], match, usual)) {
                FUZZ_EXPECT(entry.size == std::stoi(match[1]));
            }
        }
        FUZZ_EXPECT(!entry.deleteMark && entry.from.empty() && entry.subject.empty());
        ++n;
    }
    return 0;
}
