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

TEST(ReadListSizesTest, TheNthLineGoesToTheNthEntry) {
    MailEntryList list = entries(3);
    ScriptedLines script{{"1 100", "7 200", "3 300", "."}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100, 200, 300}));
    EXPECT_TRUE(script.lines.empty()) << "the closing dot is read";
}

TEST(ReadListSizesTest, FewerLinesThanEntriesLeaveTheRestAtZero) {
    MailEntryList list = entries(3);
    ScriptedLines script{{"1 100", ".", "NEXT REPLY"}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100, 0, 0}));
    EXPECT_EQ(script.lines, std::deque<std::string>{"NEXT REPLY"}) << "nothing after the dot is read";
}

TEST(ReadListSizesTest, MoreLinesThanEntriesAreDrainedUpToTheDot) {
    MailEntryList list = entries(1);
    ScriptedLines script{{"1 100", "2 200", "3 300", ".", "NEXT REPLY"}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100}));
    EXPECT_EQ(script.lines, std::deque<std::string>{"NEXT REPLY"});
}

TEST(ReadListSizesTest, ALineWithoutABlankEndsTheSizesAndTheRestIsDrained) {
    MailEntryList list = entries(3);
    ScriptedLines script{{"1 100", "2", "3 300", ".", "NEXT REPLY"}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100, 0, 0}));
    EXPECT_EQ(script.lines, std::deque<std::string>{"NEXT REPLY"});
}

TEST(ReadListSizesTest, AFailedReadEndsEverything) {
    MailEntryList list = entries(3);
    ScriptedLines script{{"1 100"}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(sizes(list), (std::vector<std::int32_t>{100, 0, 0}));
    EXPECT_EQ(script.reads, 2) << "no read after the failed one";

    MailEntryList one = entries(1);
    ScriptedLines drainFails{{"1 100", "2 200"}};
    mail::readListSizes(one, drainFails.source());
    EXPECT_EQ(drainFails.reads, 3);
}

TEST(ReadListSizesTest, NoEntriesStillReadsTheWholeReply) {
    MailEntryList list;
    ScriptedLines script{{"1 100", ".", "NEXT REPLY"}};
    mail::readListSizes(list, script.source());
    EXPECT_EQ(script.lines, std::deque<std::string>{"NEXT REPLY"});
}

}  // namespace
