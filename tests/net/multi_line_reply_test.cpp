#include "net/multi_line_reply.h"
#include "net/capabilities.h"
#include "net/pop3_session.h"

#include "tests/support/scripted_socket_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Multi-line replies have a bound on their lines: a reply that goes on past it is not read on, so a server
// that never ends one costs neither memory nor time.
namespace {

// However many lines the server would send, the reads stop at the first line beyond the bound.
TEST(MultiLineReply, AReplyWithoutEndIsReadOneLinePastItsBound) {
    for (std::size_t bound : {0u, 1u, 7u, 256u, 100000u}) {
        SCOPED_TRACE(bound);
        std::size_t reads = 0;
        const auto lines = net::readMultiLineReply(
            [&reads](std::string& line) {
                line = "line " + std::to_string(++reads);
                return true;
            },
            bound);
        EXPECT_FALSE(lines.has_value());
        EXPECT_EQ(reads, bound + 1);
    }
}

TEST(MultiLineReply, UpToItsBoundAReplyIsReadWhole) {
    for (std::size_t count : {0u, 1u, 5u}) {
        SCOPED_TRACE(count);
        std::vector<std::string> sent;
        for (std::size_t k = 0; k < count; ++k) {
            sent.push_back(k % 2 == 0 ? ".." + std::to_string(k) : std::to_string(k));
        }
        std::size_t next = 0;
        auto source = [&](std::string& line) {
            line = next < sent.size() ? sent[next] : ".";
            ++next;
            return true;
        };
        std::vector<std::string> expected;
        for (const std::string& line : sent) {
            expected.push_back(line[0] == '.' ? line.substr(1) : line);
        }
        next = 0;
        EXPECT_EQ(net::readMultiLineReply(source, count), expected) << "exactly at the bound";
        next = 0;
        EXPECT_EQ(net::readMultiLineReply(source, count + 1), expected);
        if (count > 0) {
            next = 0;
            EXPECT_FALSE(net::readMultiLineReply(source, count - 1).has_value()) << "one line over the bound";
            EXPECT_EQ(next, count) << "the line over the bound is the last one read";
        }
    }
}

// A session over the scripted io whose server sends the greeting, then each of `lines` as its own chunk.
struct LinesSession {
    explicit LinesSession(const std::vector<std::string>& lines) {
        io.chunks.push_back("+OK ready\r\n");
        for (const std::string& line : lines) {
            io.chunks.push_back(line + "\r\n");
        }
        io.hosts["mail.example"] = 0x0A00000A;
        EXPECT_TRUE(session.create(net::kSockStream, 0));
        EXPECT_NE(session.open("mail.example", 110), nullptr);
    }
    testenv::ScriptedSocketIo io;
    net::Pop3Session session{net::kAfInet, io};
};

std::vector<std::string> capaReply(std::size_t count) {
    std::vector<std::string> lines = {"+OK"};
    for (std::size_t k = 1; k <= count; ++k) {
        lines.push_back("X-CAPABILITY-" + std::to_string(k));
    }
    lines.push_back(".");
    lines.push_back("+OK after");
    return lines;
}

TEST(Pop3MultiLine, ACapaReplyUpToItsBoundIsReadAndTheNextReplyIsInStep) {
    LinesSession s(capaReply(net::kMaxCapabilityLines));
    const auto listed = s.session.capabilities();
    ASSERT_TRUE(listed.has_value());
    EXPECT_TRUE(listed->has("X-CAPABILITY-1"));
    EXPECT_TRUE(listed->has("X-CAPABILITY-" + std::to_string(net::kMaxCapabilityLines)));
    EXPECT_STREQ(s.session.command("NOOP"), "+OK after");
}

TEST(Pop3MultiLine, ACapaReplyPastItsBoundEndsTheSessionUnreadOnFromThere) {
    LinesSession s(capaReply(net::kMaxCapabilityLines + 1000));
    EXPECT_FALSE(s.session.capabilities().has_value());
    EXPECT_EQ(s.io.closeCalls, 1);
    // The first line over the bound was the last one read.
    EXPECT_EQ(s.io.chunks.size(), 1000u - 1 + 2);
    EXPECT_STREQ(s.session.command("NOOP"), "-");
    EXPECT_EQ(s.io.sent, "CAPA\r\n");
}

TEST(Pop3MultiLine, AReplyPastTheCallersBoundEndsTheSession) {
    LinesSession s({"1 a", "2 b", "3 c", ".", "+OK after"});
    const auto two = s.session.readMultiLine(2);
    EXPECT_FALSE(two.has_value());
    EXPECT_EQ(s.io.closeCalls, 1);
    EXPECT_EQ(s.io.chunks.size(), 2u) << "\".\" and the next reply stay unread";

    LinesSession exact({"1 a", "2 b", "3 c", ".", "+OK after"});
    EXPECT_EQ(exact.session.readMultiLine(3), (std::vector<std::string>{"1 a", "2 b", "3 c"}));
    EXPECT_STREQ(exact.session.command("NOOP"), "+OK after");
}

}  // namespace
