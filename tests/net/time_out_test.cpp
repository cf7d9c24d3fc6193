#include "net/pop3_session.h"

#include "tests/support/fake_pop3_server.h"
#include "tests/support/loopback_tcp.h"
#include "tests/support/socket_released.h"

#include <gtest/gtest.h>

#include <string>

// Time-outs over real TCP: a server that never answers a connect, and one that answers nothing after it.
namespace {

using testenv::After;
using testenv::FakePop3Server;

TEST(TimeOut, AConnectThatGetsNoAnswerEndsAsTimedOut) {
    testenv::loopback::startup();
    int port = 0;
    const testenv::loopback::Handle listener = testenv::loopback::listen(port, 0);
    // The one place in the queue is taken and never accepted: later attempts get no answer.
    const testenv::loopback::Handle waiting = testenv::loopback::connect(port);
    ASSERT_NE(waiting, testenv::loopback::kNone);

    net::LineSocket socket(net::kAfInet);
    socket.setTimeout(300);
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    EXPECT_FALSE(socket.connect(net::resolveHost("127.0.0.1"), port));
    EXPECT_TRUE(socket.timedOut());
    // Not connected: the socket stays for another try, but nothing can be read from it.
    std::string line;
    EXPECT_FALSE(socket.readLine(line));

    testenv::loopback::close(waiting);
    testenv::loopback::close(listener);
    testenv::loopback::cleanup();
}

TEST(TimeOut, ASilentServerEndsTheWaitForItsReply) {
    FakePop3Server server("+OK ready\r\n", {{"STAT", "+OK 1 ", After::Hang}});
    net::Pop3Session session(net::kAfInet);
    session.setTimeout(300);
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    ASSERT_NE(session.open("127.0.0.1", server.port()), nullptr);
    EXPECT_FALSE(session.timedOut());

    EXPECT_STREQ(session.command("STAT"), "-");
    EXPECT_TRUE(session.timedOut());
    EXPECT_TRUE(testenv::socketReleased(session));
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"STAT"}));
}

}  // namespace
