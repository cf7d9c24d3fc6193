#include "mail/list_sizes.h"

#include "base/decimal.h"

namespace mail {

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::int32_t leadingInteger(const std::string& text, std::size_t position) {
    while (position < text.size() && isWhiteSpace(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    std::uint32_t value = base::readDecimal(std::string_view(text).substr(position)).value;
    if (negative) {
        value = 0u - value;
    }
    // Stored as the signed field of the entry; read back as unsigned it is the size again.
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> listLineSize(const std::string& line) {
    std::size_t blank = line.find(' ');
    if (blank == std::string::npos) {
        return std::nullopt;
    }
    return leadingInteger(line, blank + 1);
}

bool readListSizes(MailEntryList& entries, const LineSource& readLine) {
    auto next = entries.begin();  // the entry of the line with the next index
    std::size_t nextIndex = 0;
    return readListSizes(
        entries.size(),
        [&](std::size_t index, std::int32_t size) {
            for (; nextIndex < index; ++nextIndex) {
                ++next;
            }
            next->size = size;
        },
        readLine);
}

bool readListSizes(std::size_t entries,
                   const std::function<void(std::size_t index, std::int32_t size)>& setSize,
                   const LineSource& readLine) {
    std::string line;
    std::size_t index = 0;  // the entry of the next line; `entries` once the lines outnumber the entries
    bool sizing = true;
    for (;;) {
        if (!readLine(line) || line == ".") {
            return true;
        }
        if (index == entries) {
            return false;
        }
        std::optional<std::int32_t> size = sizing ? listLineSize(line) : std::nullopt;
        // A line without a blank ends the sizes; the lines after it are only counted.
        sizing = size.has_value();
        if (sizing) {
            setSize(index, *size);
        }
        ++index;
    }
}

}  // namespace mail
