#include "app/list_texts.h"

#include <cstdio>

namespace app {

namespace {

std::string format(const char* pattern, double value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

int compareTexts(const std::string& a, const std::string& b) {
    // std::string::compare orders by char_traits<char>, which compares as unsigned char.
    int order = a.compare(b);
    return order == 0 ? 0 : (order > 0 ? 1 : -1);
}

int compareSizes(std::int32_t a, std::int32_t b) {
    auto ua = static_cast<std::uint32_t>(a);
    auto ub = static_cast<std::uint32_t>(b);
    return ua == ub ? 0 : (ua > ub ? 1 : -1);
}

}  // namespace

std::string sizeText(std::uint32_t size) {
    if (size == 0) {
        return "不明";
    }
    if (size < 1024u) {
        char text[16];
        std::snprintf(text, sizeof text, "%4d", static_cast<int>(size));
        return text;
    }
    // Powers of two: the divisions are exact in double precision.
    if (size < 1048576u) {
        return format("%6.1fK", size / 1024.0);
    }
    if (size < 1073741824u) {
        return format("%6.1fM", size / 1048576.0);
    }
    return format("%6.1fG", size / 1073741824.0);
}

int compareEntries(const mail::MailEntry& a, const mail::MailEntry& b, int column) {
    switch (column) {
        case kColumnSubject:
            return compareTexts(a.subject, b.subject);
        case kColumnFrom:
            return compareTexts(a.from, b.from);
        case kColumnSize:
            return compareSizes(a.size, b.size);
        case kColumnFirstLines:
            return compareTexts(a.firstLines, b.firstLines);
        default:
            return 0;
    }
}

}  // namespace app
