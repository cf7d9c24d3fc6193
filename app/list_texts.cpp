#include "app/list_texts.h"

namespace app {

namespace {

// `text` right-aligned in `width` columns (a longer text is kept whole).
std::string padded(std::string text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// size / unit to one decimal, a tie to the even tenth (as printf's "%6.1f" rounds), then the unit's letter.
std::string tenths(std::uint32_t size, std::uint32_t unit, char letter) {
    const std::uint64_t scaled = std::uint64_t{size} * 10;
    std::uint64_t rounded = scaled / unit;
    const std::uint64_t rest = scaled % unit;
    if (2 * rest > unit || (2 * rest == unit && rounded % 2 == 1)) {
        ++rounded;
    }
    return padded(std::to_string(rounded / 10) + '.' + static_cast<char>('0' + rounded % 10), 6) + letter;
}

int compareTexts(const std::string& a, const std::string& b) {
    // std::string::compare orders by char_traits<char>, which compares as unsigned char.
    int order = a.compare(b);
    return order == 0 ? 0 : (order > 0 ? 1 : -1);
}

const std::string& accountName(const mail::MailEntry& entry) {
    static const std::string none;
    return entry.mailbox != nullptr ? entry.mailbox->name : none;
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
        return padded(std::to_string(size), 4);
    }
    if (size < 1048576u) {
        return tenths(size, 1024u, 'K');
    }
    if (size < 1073741824u) {
        return tenths(size, 1048576u, 'M');
    }
    return tenths(size, 1073741824u, 'G');
}

std::string cellText(const mail::MailEntry& entry, int column) {
    switch (column) {
        case kColumnSubject:
            return entry.subject;
        case kColumnFrom:
            return entry.from;
        case kColumnSize:
            return sizeText(static_cast<std::uint32_t>(entry.size));
        case kColumnFirstLines:
            return entry.firstLines;
        case kColumnAccount:
            return accountName(entry);
        default:
            return std::string();
    }
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
        case kColumnAccount:
            return compareTexts(accountName(a), accountName(b));
        default:
            return 0;
    }
}

int shownColumnCount(bool accountColumn) {
    return accountColumn ? 5 : 4;
}

ListColumn columnAt(int place, bool accountColumn) {
    if (!accountColumn) {
        return static_cast<ListColumn>(place);
    }
    return place == 0 ? kColumnAccount : static_cast<ListColumn>(place - 1);
}

std::string detailsTitle(const mail::MailEntry& entry, bool accountColumn) {
    return accountColumn ? "メール（" + accountName(entry) + "）" : std::string("メール");
}

}  // namespace app
