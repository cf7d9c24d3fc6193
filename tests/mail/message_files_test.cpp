#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/top_reply_reader.h"
#include "tests/mail/sample_messages.h"

// Real-world shaped messages, each read as the check reads it: the reply to TOP with the usual line count, and
// only when the reader asks for it, once more with the larger count.
namespace {

constexpr int kHeadCount = 2;

// The reply a server gives to TOP with `count` body lines: the message's lines, dot-stuffed, then ".".
std::vector<std::string> topReply(const std::string& message, long long count) {
    std::vector<std::string> lines;
    bool inBody = false;
    long long bodyLines = 0;
    for (std::size_t at = 0; at < message.size();) {
        std::size_t end = message.find("\r\n", at);
        end = end == std::string::npos ? message.size() : end;
        std::string line = message.substr(at, end - at);
        at = end + 2;
        if (inBody && bodyLines++ >= count) {
            break;
        }
        inBody = inBody || line.empty();
        lines.push_back(!line.empty() && line[0] == '.' ? "." + line : line);
    }
    lines.push_back(".");
    return lines;
}

mail::TopReplyReader read(const std::vector<std::string>& reply) {
    mail::TopReplyReader reader(kHeadCount);
    for (const std::string& line : reply) {
        reader.feed(line);
    }
    EXPECT_TRUE(reader.complete());
    return reader;
}

TEST(MessageFilesTest, EachMessageShowsDecoded) {
    for (const samples::ShownMessage& shown : samples::shownMessages()) {
        SCOPED_TRACE(shown.name);
        const std::string message = samples::messageFile(shown.name);
        ASSERT_FALSE(message.empty());
        const long long usual = kHeadCount + 7;
        mail::TopReplyReader reader = read(topReply(message, usual));
        EXPECT_EQ(shown.pastFirstTop, reader.wantsMoreLines(usual));
        if (reader.wantsMoreLines(usual)) {
            reader = read(topReply(message, usual + 500));
            EXPECT_FALSE(reader.wantsMoreLines(usual + 500));
        }
        const mail::MailEntry entry = reader.entry();
        EXPECT_EQ(shown.from, entry.from);
        EXPECT_EQ(shown.subject, entry.subject);
        EXPECT_EQ(shown.firstLines, entry.firstLines);
    }
}

TEST(MessageFilesTest, AnExtraEmptyLineAfterTheHeaderChangesNothing) {
    // GNU Mailutils sends one more empty line between the header and the body.
    for (const samples::ShownMessage& shown : samples::shownMessages()) {
        SCOPED_TRACE(shown.name);
        std::string message = samples::messageFile(shown.name);
        message.insert(message.find("\r\n\r\n"), "\r\n");
        std::vector<std::string> reply = topReply(message, 1000);
        const mail::MailEntry entry = read(reply).entry();
        EXPECT_EQ(shown.from, entry.from);
        EXPECT_EQ(shown.subject, entry.subject);
        EXPECT_EQ(shown.firstLines, entry.firstLines);
    }
}

}  // namespace
