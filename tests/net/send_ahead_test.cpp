#include "tests/support/fake_pop3_server.h"

#include "net/pop3_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Commands sent ahead over real TCP to a server with small socket buffers, many more bytes of them, and of their
// replies, than the buffers between the two hold: a client that blocked in its send while the server blocked in
// its own would never finish.
namespace {

using testenv::Exchange;
using testenv::FakePop3Server;

TEST(SendAhead, MoreCommandsAndRepliesThanTheBuffersHoldStillFinish) {
    constexpr int kCommands = 2500;  // 5 MB of commands, more than the client's send buffer grows to
    const std::string padding(2000, 'x');
    std::vector<Exchange> script;
    std::string commands;
    for (int k = 1; k <= kCommands; ++k) {
        const std::string command = "NOOP " + std::to_string(k) + " " + padding;
        std::string reply = "+OK " + std::to_string(k) + "\r\n";
        for (int line = 0; line < 4; ++line) {
            reply += padding.substr(0, 250) + "\r\n";
        }
        script.push_back({command, reply + ".\r\n"});
        commands += command + "\r\n";
    }
    FakePop3Server server("+OK ready\r\n", script);
    server.useSmallBuffers();
    net::Pop3Session session(net::kAfInet);
    // A deadline far above normal: the whole exchange takes well under a second.
    session.setTimeout(60000);
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    ASSERT_NE(session.open("127.0.0.1", server.port()), nullptr);
    ASSERT_TRUE(session.sendAhead(commands));
    int answered = 0;
    for (int k = 1; k <= kCommands; ++k) {
        ASSERT_EQ(std::string(session.readReply()), "+OK " + std::to_string(k));
        std::optional<std::vector<std::string>> lines = session.readMultiLine(4);
        ASSERT_TRUE(lines.has_value()) << "reply " << k;
        answered += lines->size() == 4 ? 1 : 0;
    }
    EXPECT_EQ(answered, kCommands);
    session.close();
    EXPECT_EQ(server.commands().size(), static_cast<std::size_t>(kCommands));
}

}  // namespace
