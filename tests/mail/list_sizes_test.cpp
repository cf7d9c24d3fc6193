#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "mail/list_sizes.h"

namespace {

using mail::listLineSize;
using mail::MailEntryList;

TEST(ListLineSizeTest, ReadsTheLeadingIntegerAfterTheFirstBlank) {
    struct Case {
        const char* line;
        std::optional<std::int32_t> size;
    } cases[] = {
        {"3 1234", 1234},
        {"1 1234 extra", 1234},
        {"1 1234abc", 1234},
        {"1  \t 77", 77},  // white space after the blank is skipped
        {"1 +15", 15},
        {"1 -15", -15},
        {"1 abc", 0},  // no digits
        {"1 ", 0},
        {" 99", 99},  // the message number is not looked at
        {"anything 5", 5},
        {"1\t5", std::nullopt},  // a tab is not the separator
        {"12345", std::nullopt},
        {"", std::nullopt},
        {".", std::nullopt},
        {"1 2147483647", 2147483647},
        // Larger sizes keep their value as unsigned 32 bits, which is how they are shown.
        {"1 3000000000", static_cast<std::int32_t>(3000000000u)},
        {"1 4294967295", static_cast<std::int32_t>(4294967295u)},
        {"1 99999999999999999999", static_cast<std::int32_t>(4294967295u)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(listLineSize(c.line), c.size);
    }
}

// Hands out scripted lines and records how many were read; false when the script is used up.
struct ScriptedLines {
    std::deque<std::string> lines;
    int reads = 0;
    mail::LineSource source() {
        return [this](std::string& line) {
            ++reads;
            if (lines.empty()) {
                return false;
            }
            line = lines.front();
            lines.pop_front();
            return true;
        };
    }
};

MailEntryList entries(int count) {
    return MailEntryList(static_cast<std::size_t>(count));
}

std::vector<std::int32_t> sizes(const MailEntryList& list) {
    std::vector<std::int32_t> result;
    for (const auto& entry : list) {
        result.push_back(entry.size);
    }
    return result;
}

// Each row: the entries, the lines the server sends, the sizes read, whether the reply was in bounds, and the
// lines left unread afterwards.
TEST(ReadListSizesTest, SizesGoToTheEntriesInOrderAndNoLineBeyondTheEntriesIsRead) {
    const struct {
        const char* name;
        int entries;
        std::deque<std::string> lines;
        std::vector<std::int32_t> sizes;
        bool inBounds;
        std::deque<std::string> unread;
    } rows[] = {
        {"one line per entry",
         3,
         {"1 100", "7 200", "3 300", ".", "NEXT REPLY"},
         {100, 200, 300},
         true,
         {"NEXT REPLY"}},
        {"fewer lines than entries", 3, {"1 100", ".", "NEXT REPLY"}, {100, 0, 0}, true, {"NEXT REPLY"}},
        {"a line without a blank ends the sizes, the rest is read to the dot",
         3,
         {"1 100", "2", "3 300", ".", "NEXT REPLY"},
         {100, 0, 0},
         true,
         {"NEXT REPLY"}},
        {"a line more than entries",
         1,
         {"1 100", "2 200", "3 300", ".", "NEXT REPLY"},
         {100},
         false,
         {"3 300", ".", "NEXT REPLY"}},
        {"a line more after a line without a blank", 2, {"1", "2 200", "3 300", "."}, {0, 0}, false, {"."}},
        {"no entries and a line", 0, {"1 100", ".", "NEXT REPLY"}, {}, false, {".", "NEXT REPLY"}},
        {"no entries and an empty reply", 0, {".", "NEXT REPLY"}, {}, true, {"NEXT REPLY"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MailEntryList list = entries(row.entries);
        ScriptedLines script{row.lines};
        EXPECT_EQ(mail::readListSizes(list, script.source()), row.inBounds);
        EXPECT_EQ(sizes(list), row.sizes);
        EXPECT_EQ(script.lines, row.unread);
    }
}

TEST(ReadListSizesTest, AFailedReadEndsEverything) {
    MailEntryList list = entries(3);
    ScriptedLines script{{"1 100"}};
    EXPECT_TRUE(mail::readListSizes(list, script.source()));
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100, 0, 0}));
    EXPECT_EQ(script.reads, 2) << "no read after the failed one";

    MailEntryList one = entries(3);
    ScriptedLines drainFails{{"1 100", "2"}};
    EXPECT_TRUE(mail::readListSizes(one, drainFails.source()));
    EXPECT_EQ(drainFails.reads, 3);
}

// However long the server goes on, the reads stop one line after the entries run out.
TEST(ReadListSizesTest, AReplyWithoutEndIsReadOneLinePastTheEntries) {
    for (int count : {0, 1, 5, 1000}) {
        SCOPED_TRACE(count);
        MailEntryList list = entries(count);
        int reads = 0;
        const bool inBounds = mail::readListSizes(list, [&reads](std::string& line) {
            line = std::to_string(++reads) + " 42";
            return true;
        });
        EXPECT_FALSE(inBounds);
        EXPECT_EQ(reads, count + 1);
        EXPECT_EQ(sizes(list), std::vector<std::int32_t>(static_cast<std::size_t>(count), 42));
    }
}

}  // namespace
