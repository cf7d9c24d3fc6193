#include "tests/support/fake_pop3_server.h"
#include "tests/support/socket_released.h"

#include "net/pop3_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The fake server's own promises that other tests rely on, seen through the real session.
namespace {

using testenv::After;
using testenv::FakePop3Server;
using Lines = std::vector<std::string>;

struct Client {
    explicit Client(const FakePop3Server& server) {
        EXPECT_TRUE(session.create(net::kSockStream, 0));
        const char* opened = session.open("127.0.0.1", server.port());
        greeting = opened ? opened : "(none)";
    }
    net::Pop3Session session{net::kAfInet};
    std::string greeting;
};

TEST(FakePop3Server, AnswersTheScriptAndRecordsEveryCommand) {
    FakePop3Server server("+OK ready <1.2@fake>\r\n", {
                                                          {"USER neko", "+OK\r\n"},
                                                          {"LIST 1", "+OK 1 120\r\n"},
                                                          {"TOP 1 0", "+OK\r\nSubject: hi\r\n..dot\r\n.\r\n"},
                                                      });
    Client client(server);
    EXPECT_EQ(client.greeting, "+OK ready <1.2@fake>");
    EXPECT_TRUE(client.session.sendUser("neko"));
    EXPECT_STREQ(client.session.command("NOOP"), "-ERR unexpected");
    EXPECT_STREQ(client.session.command("LIST 1"), "+OK 1 120");
    EXPECT_STREQ(client.session.command("TOP 1 0"), "+OK");
    std::string line;
    Lines body;
    while (client.session.readLine(line) && line != ".") {
        body.push_back(line);
    }
    EXPECT_EQ(body, (Lines{"Subject: hi", "..dot"}));
    // The script is used up: the next command is recorded and the connection closes unanswered.
    EXPECT_STREQ(client.session.command("QUIT"), "-");
    EXPECT_TRUE(testenv::socketReleased(client.session));
    EXPECT_EQ(server.commands(), (Lines{"USER neko", "NOOP", "LIST 1", "TOP 1 0", "QUIT"}));
}

// A further session answers its own script from the start, and the commands of both are recorded in order.
TEST(FakePop3Server, ServesAFurtherSessionWithItsOwnScript) {
    FakePop3Server server("+OK ready\r\n", {{"USER neko", "+OK first\r\n"}, {"QUIT", "+OK\r\n", After::Close}});
    server.thenServe({{"USER neko", "+OK second\r\n"}, {"QUIT", "+OK\r\n", After::Close}});
    for (const char* reply : {"+OK first", "+OK second"}) {
        Client client(server);
        EXPECT_EQ(client.greeting, "+OK ready");
        EXPECT_STREQ(client.session.command("USER neko"), reply);
        EXPECT_STREQ(client.session.command("QUIT"), "+OK");
    }
    EXPECT_EQ(server.commands(), (Lines{"USER neko", "QUIT", "USER neko", "QUIT"}));
}

TEST(FakePop3Server, ClosesAfterAStepMarkedClose) {
    FakePop3Server server("+OK ready\r\n", {{"USER neko", "-ERR go away\r\n", After::Close}});
    Client client(server);
    EXPECT_FALSE(client.session.sendUser("neko"));
    EXPECT_STREQ(client.session.command("PASS x"), "-");
    EXPECT_EQ(server.commands(), (Lines{"USER neko"}));
}

TEST(FakePop3Server, CanCloseRightAfterTheGreeting) {
    FakePop3Server server("-ERR too busy\r\n", {}, After::Close);
    Client client(server);
    EXPECT_EQ(client.greeting, "-ERR too busy");
    EXPECT_FALSE(client.session.sendUser("neko"));
    EXPECT_EQ(server.commands(), Lines{});
}

TEST(FakePop3Server, HangingServerStillRecordsCommandsUntilTheClientLeaves) {
    FakePop3Server server("+OK ready\r\n", {{"STAT", "+OK 1 10\r\n", After::Hang}});
    Client client(server);
    EXPECT_TRUE(client.session.stat().has_value());
    server.waitUntilHanging();
    EXPECT_TRUE(client.session.sendLine("QUIT"));
    client.session.close();
    EXPECT_EQ(server.commands(), (Lines{"STAT", "QUIT"}));
}

}  // namespace
