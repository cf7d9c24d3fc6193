#include "net/pop3_session.h"

#include "tests/support/fake_pop3_server.h"
#include "tests/support/socket_released.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

// The stop command closes the socket from the user-interface thread while the worker is blocked on it.
namespace {

using testenv::After;
using testenv::FakePop3Server;

TEST(StopFromAnotherThread, CloseEndsAReadBlockedOnASilentServer) {
    FakePop3Server server("", {{"HELLO", "", After::Hang}});
    net::LineSocket socket(net::kAfInet);
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    ASSERT_TRUE(socket.connect(net::resolveHost("127.0.0.1"), server.port()));

    bool readResult = true;
    std::thread worker([&] {
        std::string line;
        if (socket.sendLine("HELLO")) {
            readResult = socket.readLine(line);
        }
    });
    server.waitUntilHanging();  // the server has the line and will never answer: the worker is reading
    socket.close();
    worker.join();

    EXPECT_FALSE(readResult);
    EXPECT_TRUE(testenv::socketReleased(socket));
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"HELLO"}));
}

TEST(StopFromAnotherThread, CloseEndsACommandWaitingForItsReply) {
    FakePop3Server server("+OK ready\r\n", {{"STAT", "", After::Hang}});
    net::Pop3Session session(net::kAfInet);
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    ASSERT_NE(session.open("127.0.0.1", server.port()), nullptr);

    std::string reply;
    std::thread worker([&] { reply = session.command("STAT"); });
    server.waitUntilHanging();  // the server has the command; the worker waits for the reply
    session.close();
    worker.join();

    EXPECT_EQ(reply, "-");
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"STAT"}));
}

}  // namespace
