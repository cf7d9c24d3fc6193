#include "net/line_socket.h"

#include "tests/support/scripted_socket_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testenv::ScriptedSocketIo;

void openOver(net::LineSocket& socket) {
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    ASSERT_TRUE(socket.connect(0x0100007F, 110));
}

// Reads lines with one of the two readers until a read fails.
std::vector<std::string> readAllLines(const std::vector<std::string>& chunks, bool fixedBuffer) {
    ScriptedSocketIo io;
    io.chunks.assign(chunks.begin(), chunks.end());
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    std::vector<std::string> lines;
    for (;;) {
        std::string line;
        char buffer[1024];
        bool ok = fixedBuffer ? socket.readLine(buffer, 1023) : socket.readLine(line);
        if (!ok) {
            return lines;
        }
        lines.push_back(fixedBuffer ? std::string(buffer) : line);
    }
}

struct LineCase {
    const char* name;
    std::vector<std::string> chunks;  // exactly what each receive returns
    std::vector<std::string> lines;
};

const std::string kZero(1, '\0');

const LineCase kLineCases[] = {
    {"CR LF in one chunk", {"+OK hello\r\n"}, {"+OK hello"}},
    {"line split over chunks", {"+OK he", "llo\r\n"}, {"+OK hello"}},
    {"CR ends a chunk, its LF starts the next", {"one\r", "\ntwo\r\n"}, {"one", "two"}},
    {"CR alone and LF alone", {"a\rb\nc\r\n"}, {"a", "b", "c"}},
    {"CR CR LF", {"a\r\r\n"}, {"a", ""}},
    {"LF CR", {"a\n\rb\r\n"}, {"a", "", "b"}},
    {"empty line", {"\r\n", "x\r\n"}, {"", "x"}},
    {"zero byte drops the rest of its chunk", {"ab" + kZero + "lost\r\n", "cd\r\n"}, {"abcd"}},
    {"chunk beginning with a zero byte", {kZero + "lost\r\n", "ok\r\n"}, {"ok"}},
};

TEST(LineSocketRead, SplitsLinesAtEveryKindOfLineEnd) {
    for (const LineCase& c : kLineCases) {
        EXPECT_EQ(readAllLines(c.chunks, false), c.lines) << c.name << " (string reader)";
        EXPECT_EQ(readAllLines(c.chunks, true), c.lines) << c.name << " (fixed buffer)";
    }
}

TEST(LineSocketRead, FixedBufferTakesExactlyMaxChars) {
    ScriptedSocketIo io;
    std::string full(1023, 'x');
    io.setChunks({full, "\r\n", full, "y\r\n"});
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    char buffer[1024];

    ASSERT_TRUE(socket.readLine(buffer, 1023));
    EXPECT_EQ(std::string(buffer), full);

    // One character too many: the first 1023 come back with false, the connection stays, the rest follows.
    EXPECT_FALSE(socket.readLine(buffer, 1023));
    EXPECT_EQ(std::string(buffer), full);
    EXPECT_TRUE(socket.isConnected());
    ASSERT_TRUE(socket.readLine(buffer, 1023));
    EXPECT_EQ(std::string(buffer), "y");
}

TEST(LineSocketRead, ConnectionEndingMidLineKeepsThePartAndClosesTheSocket) {
    for (int end : {0, -1}) {
        ScriptedSocketIo io;
        io.setChunks({"+OK whole\r\n+OK par"});
        io.endResult = end;
        net::LineSocket socket(net::kAfInet, io);
        openOver(socket);
        std::string line;
        ASSERT_TRUE(socket.readLine(line));

        EXPECT_FALSE(socket.readLine(line)) << end;
        EXPECT_EQ(line, "+OK par");
        EXPECT_FALSE(socket.isConnected());
        EXPECT_EQ(io.closeCalls, 1);

        int receives = io.receiveCalls;
        line = "untouched";
        EXPECT_FALSE(socket.readLine(line));
        EXPECT_EQ(line, "untouched");
        EXPECT_EQ(io.receiveCalls, receives);
    }
}

TEST(LineSocketRead, FixedBufferHoldsThePartialLineWhenTheConnectionEnds) {
    ScriptedSocketIo io;
    io.setChunks({"+OK par"});
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    char buffer[1024];
    EXPECT_FALSE(socket.readLine(buffer, 1023));
    EXPECT_EQ(std::string(buffer), "+OK par");
    EXPECT_FALSE(socket.isConnected());
}

TEST(LineSocketRead, RefusesWithoutAConnection) {
    ScriptedSocketIo io;
    io.setChunks({"+OK\r\n"});
    net::LineSocket socket(net::kAfInet, io);
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    std::string line = "untouched";
    EXPECT_FALSE(socket.readLine(line));
    EXPECT_EQ(line, "untouched");
    EXPECT_EQ(io.receiveCalls, 0);
}

TEST(LineSocketSetup, CreateAndConnectRefusals) {
    ScriptedSocketIo io;
    io.socketFails = true;
    net::LineSocket socket(net::kAfInet, io);
    EXPECT_FALSE(socket.create(net::kSockStream, 0));
    io.socketFails = false;
    ASSERT_TRUE(socket.create(net::kSockStream, 0)) << "a failed socket call leaves no handle behind";
    EXPECT_FALSE(socket.create(net::kSockStream, 0)) << "a socket exists already";
    EXPECT_EQ(io.socketCalls, 2);

    io.connectFails = true;
    EXPECT_FALSE(socket.connect(0x0100007F, 110));
    EXPECT_FALSE(socket.isConnected());
    io.connectFails = false;
    ASSERT_TRUE(socket.connect(0x0100007F, 110)) << "the socket stays usable after a failed connect";
    EXPECT_EQ(io.lastPeer.family, net::kAfInet);
    EXPECT_EQ(io.lastPeer.port, 110);
    EXPECT_EQ(io.lastPeer.address, 0x0100007Fu);
    EXPECT_FALSE(socket.connect(0x0100007F, 110)) << "already connected";
    EXPECT_EQ(io.connectCalls, 2);
}

TEST(LineSocketSetup, CreateFailsWhenTheSocketLibraryDidNotStart) {
    ScriptedSocketIo io;
    io.startupFails = true;
    net::LineSocket socket(net::kAfInet, io);
    EXPECT_FALSE(socket.create(net::kSockStream, 0));
    EXPECT_EQ(io.socketCalls, 0);
}

TEST(LineSocketSetup, SocketLibraryStartsOnceForAllSocketsAndStopsWithTheLast) {
    ScriptedSocketIo io;
    {
        net::LineSocket first(net::kAfInet, io);
        {
            net::LineSocket second(net::kAfInet, io);
            EXPECT_EQ(io.startupCalls, 1);
        }
        EXPECT_EQ(io.cleanupCalls, 0);
    }
    EXPECT_EQ(io.cleanupCalls, 1);

    // A failed start is neither cleaned up nor retried while sockets remain; the next first socket retries.
    io.startupFails = true;
    {
        net::LineSocket first(net::kAfInet, io);
        net::LineSocket second(net::kAfInet, io);
        EXPECT_EQ(io.startupCalls, 2);
    }
    EXPECT_EQ(io.cleanupCalls, 1);
    io.startupFails = false;
    net::LineSocket again(net::kAfInet, io);
    EXPECT_EQ(io.startupCalls, 3);
    EXPECT_TRUE(again.create(net::kSockStream, 0));
}

TEST(LineSocketSetup, DestroyingAnOpenSocketClosesIt) {
    ScriptedSocketIo io;
    {
        net::LineSocket socket(net::kAfInet, io);
        openOver(socket);
    }
    EXPECT_EQ(io.closeCalls, 1);
}

TEST(LineSocketSend, SendsTheWholeLineWithCrLf) {
    ScriptedSocketIo io;
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    ASSERT_TRUE(socket.sendLine("STAT"));
    EXPECT_EQ(io.sent, "STAT\r\n");
    EXPECT_EQ(io.sendCalls, 1);
}

TEST(LineSocketSend, CompletesPartialSends) {
    ScriptedSocketIo io;
    io.maxSendBytes = 4;
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    ASSERT_TRUE(socket.sendLine("USER neko"));
    EXPECT_EQ(io.sent, "USER neko\r\n");
    EXPECT_EQ(io.sendCalls, 3);
}

TEST(LineSocketSend, FailedSendClosesTheSocket) {
    ScriptedSocketIo io;
    io.maxSendBytes = 4;
    io.failingSend = 2;
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    EXPECT_FALSE(socket.sendLine("USER neko"));
    EXPECT_FALSE(socket.isConnected());
    EXPECT_EQ(io.closeCalls, 1);
    EXPECT_FALSE(socket.sendLine("QUIT"));
    EXPECT_EQ(io.sendCalls, 2) << "without a socket nothing reaches the platform";
}

}  // namespace
