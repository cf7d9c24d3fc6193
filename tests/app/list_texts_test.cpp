#include "app/list_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct SizeCase {
    std::uint32_t size;
    const char* text;
};

TEST(SizeText, EachRangeHasItsUnitAndWidth) {
    const SizeCase cases[] = {
        {0, "不明"},
        {1, "   1"},
        {7, "   7"},
        {1023, "1023"},
        {1024, "   1.0K"},
        {1536, "   1.5K"},
        {1048575, "1024.0K"},  // rounds up but stays in the kilobyte row
        {1048576, "   1.0M"},
        {1073741823, "1024.0M"},
        {1073741824, "   1.0G"},
        {0x80000000u, "   2.0G"},  // negative as a signed size: shown as the unsigned number
        {0xFFFFFFFFu, "   4.0G"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::string(c.text), app::sizeText(c.size)) << "size " << c.size;
    }
}

// The texts were printf's ("%4d", "%6.1fK" and so on) and stay byte for byte the same: sizes across every row,
// the exact halves of a tenth (1.25K, 3.75M ...) among them, against printf itself.
TEST(SizeText, MatchesPrintfEverywhereTiesIncluded) {
    struct Row {
        std::uint32_t unit;
        const char* pattern;
    };
    const Row rows[] = {{1024u, "%6.1fK"}, {1048576u, "%6.1fM"}, {1073741824u, "%6.1fG"}};
    int compared = 0;
    char expected[32];
    for (std::uint32_t size = 1; size < 1024u; ++size) {
        std::snprintf(expected, sizeof expected, "%4d", static_cast<int>(size));
        ASSERT_EQ(std::string(expected), app::sizeText(size)) << "size " << size;
        ++compared;
    }
    for (const Row& row : rows) {
        const std::uint64_t last = row.unit == 1073741824u ? 0xFFFFFFFFull : std::uint64_t{row.unit} * 1024 - 1;
        const std::uint64_t step = row.unit / 64;  // a tie falls on every 0.25 and 0.75: multiples of unit / 4
        for (std::uint64_t size = row.unit; size <= last; size += step) {
            for (const std::uint64_t near : {size, size + 1, size - 1 + step}) {
                const auto s = static_cast<std::uint32_t>(near <= last ? near : last);
                std::snprintf(expected, sizeof expected, row.pattern, s / static_cast<double>(row.unit));
                ASSERT_EQ(std::string(expected), app::sizeText(s)) << "size " << s;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1023 + 3 * 64 * 1023);
}

mail::MailEntry entry(const char* subject, const char* from, std::int32_t size, const char* firstLines) {
    mail::MailEntry e;
    e.subject = subject;
    e.from = from;
    e.size = size;
    e.firstLines = firstLines;
    return e;
}

struct OrderCase {
    mail::MailEntry a;
    mail::MailEntry b;
    int column;
    int order;
    const char* why;
};

TEST(CompareEntries, OrdersBytesUnsignedAndSizesUnsigned) {
    const OrderCase cases[] = {
        {entry("abc", "", 0, ""), entry("abc", "", 0, ""), app::kColumnSubject, 0, "equal subjects"},
        {entry("abd", "", 0, ""), entry("abc", "", 0, ""), app::kColumnSubject, 1, "greater subject"},
        {entry("ab", "", 0, ""), entry("abc", "", 0, ""), app::kColumnSubject, -1, "shorter text first"},
        {entry("\x82\xa0", "", 0, ""), entry("z", "", 0, ""), app::kColumnSubject, 1,
         "Shift_JIS lead byte above ASCII"},
        {entry("B", "", 0, ""), entry("a", "", 0, ""), app::kColumnSubject, -1, "no case folding"},
        {entry("", "x", 0, ""), entry("", "y", 0, ""), app::kColumnFrom, -1, "sender column"},
        {entry("z", "b", 0, ""), entry("a", "a", 0, ""), app::kColumnFrom, 1, "sender, not subject"},
        {entry("", "", 0, "b "), entry("", "", 0, "a "), app::kColumnFirstLines, 1, "first lines column"},
        {entry("", "", 10, ""), entry("", "", 9, ""), app::kColumnSize, 1, "larger size"},
        {entry("", "", 9, ""), entry("", "", 9, ""), app::kColumnSize, 0, "equal sizes"},
        {entry("", "", -1, ""), entry("", "", 5, ""), app::kColumnSize, 1, "sizes compare unsigned"},
        {entry("a", "a", 1, "a"), entry("b", "b", 2, "b"), 4, 0, "unknown column"},
        {entry("a", "a", 1, "a"), entry("b", "b", 2, "b"), -1, 0, "negative column"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.order, app::compareEntries(c.a, c.b, c.column)) << c.why;
    }
}

}  // namespace

namespace {

// Which column sits where, what each shows, and how the account column orders rows.
TEST(ListColumns, TheAccountColumnComesFirstOnlyWithSeveralMailboxes) {
    mail::MailEntry entry;
    entry.subject = "件名";
    entry.from = "neko";
    entry.size = 2048;
    entry.firstLines = "本文";
    const struct {
        bool account;
        std::string shown;  // the cells from the left, each followed by '|'
    } rows[] = {
        {false, "件名|neko|   2.0K|本文|"},
        {true, "|件名|neko|   2.0K|本文|"},
    };
    for (const auto& row : rows) {
        std::string shown;
        for (int place = 0; place < app::shownColumnCount(row.account); ++place) {
            shown += app::cellText(entry, app::columnAt(place, row.account)) + '|';
        }
        EXPECT_EQ(row.shown, shown);
    }
    mail::MailEntry other = entry;
    entry.mailbox = std::make_shared<const mail::MailboxId>(mail::MailboxId{"s", 110, "u", 1, "しごと"});
    other.mailbox = std::make_shared<const mail::MailboxId>(mail::MailboxId{"s", 110, "u", 0, "いえ"});
    EXPECT_EQ("しごと", app::cellText(entry, app::kColumnAccount));
    EXPECT_EQ(1, app::compareEntries(entry, other, app::kColumnAccount));
    EXPECT_EQ(-1, app::compareEntries(other, entry, app::kColumnAccount));
    EXPECT_EQ(0, app::compareEntries(entry, entry, app::kColumnAccount));
    EXPECT_EQ("メール（しごと）", app::detailsTitle(entry, true));
    EXPECT_EQ("メール", app::detailsTitle(entry, false));
}

}  // namespace
