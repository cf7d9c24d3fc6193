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

// Only LF ends a line (a CR right before it belongs to the line end); any other CR and every zero byte
// is data, whatever chunk boundaries fall around them.
const LineCase kLineCases[] = {
    {"CR LF in one chunk", {"+OK hello\r\n"}, {"+OK hello"}},
    {"line split over chunks", {"+OK he", "llo\r\n"}, {"+OK hello"}},
    {"CR ends a chunk, its LF starts the next", {"one\r", "\ntwo\r\n"}, {"one", "two"}},
    {"CR ends a chunk, data follows in the next", {"one\r", "two\r\n"}, {"one\rtwo"}},
    {"a CR alone is data, a LF alone ends a line", {"a\rb\nc\r\n"}, {"a\rb", "c"}},
    {"CR CR LF", {"a\r\r\n"}, {"a\r"}},
    {"LF CR", {"a\n\rb\r\n"}, {"a", "\rb"}},
    {"a bare CR before a dot does not make a dot line",
     {"buy now\r.\r\nPhotos\r\n.\r\n"},
     {"buy now\r.", "Photos", "."}},
    {"empty line", {"\r\n", "x\r\n"}, {"", "x"}},
    {"a zero byte is a blank and drops nothing", {"ab" + kZero + "kept\r\n", "cd\r\n"}, {"ab kept", "cd"}},
    {"chunk beginning with a zero byte", {kZero + "kept\r\n", "ok\r\n"}, {" kept", "ok"}},
    {"a zero byte right before the line end", {"x" + kZero + "\r\n.\r\n"}, {"x ", "."}},
};

TEST(LineSocketRead, SplitsLinesAtEveryKindOfLineEnd) {
    for (const LineCase& c : kLineCases) {
        EXPECT_EQ(readAllLines(c.chunks, false), c.lines) << c.name << " (string reader)";
        EXPECT_EQ(readAllLines(c.chunks, true), c.lines) << c.name << " (fixed buffer)";
    }
}

TEST(LineSocketRead, ALineLongerThanTheReaderKeepsIsReadToItsEndAndCut) {
    std::string full(1023, 'x');
    std::string longer = full + std::string(2000, 'y') + "\r";  // the CR of its line end falls past the cut too
    for (bool fixedBuffer : {true, false}) {
        SCOPED_TRACE(fixedBuffer ? "fixed buffer" : "string");
        EXPECT_EQ(readAllLines({full, "\r\n", longer, "\nnext\r\n"}, fixedBuffer),
                  (std::vector<std::string>{full, full, "next"}));
    }
    // The fixed buffer keeps what fits it, however small.
    ScriptedSocketIo io;
    io.setChunks({"+OK long reply\r\n+OK\r\n"});
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    char buffer[4];
    ASSERT_TRUE(socket.readLine(buffer, 3));
    EXPECT_STREQ(buffer, "+OK");
    ASSERT_TRUE(socket.readLine(buffer, 3));
    EXPECT_STREQ(buffer, "+OK");
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
    EXPECT_EQ(io.closeCalls, 1);
}

TEST(LineSocketRead, ACrAtTheEndOfTheStreamStaysWithThePartialLine) {
    ScriptedSocketIo io;
    io.setChunks({"half\r"});
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    std::string line;
    EXPECT_FALSE(socket.readLine(line));
    EXPECT_EQ(line, "half\r");
}

TEST(LineSocketTimeout, TheLimitReachesEveryConnectAndWait) {
    ScriptedSocketIo io;
    io.setChunks({"+OK\r\n"});
    net::LineSocket socket(net::kAfInet, io);
    socket.setTimeout(1500);
    openOver(socket);
    std::string line;
    ASSERT_TRUE(socket.readLine(line));
    EXPECT_EQ(io.lastConnectTimeoutMs, 1500);
    EXPECT_EQ(io.lastWaitTimeoutMs, 1500);
    EXPECT_EQ(io.waitCalls, io.receiveCalls) << "every receive waits first";
    EXPECT_FALSE(socket.timedOut());
}

TEST(LineSocketTimeout, ASilentServerEndsTheReadAsTimedOut) {
    ScriptedSocketIo io;
    io.setChunks({"+OK whole\r\n+OK par"});
    io.silentAtEnd = true;
    net::LineSocket socket(net::kAfInet, io);
    socket.setTimeout(1000);
    openOver(socket);
    std::string line;
    ASSERT_TRUE(socket.readLine(line));
    EXPECT_FALSE(socket.readLine(line));
    EXPECT_EQ(line, "+OK par");
    EXPECT_TRUE(socket.timedOut());
    EXPECT_EQ(io.closeCalls, 1);

    // A server that closes is no time-out; a new socket forgets the old one's.
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    EXPECT_FALSE(socket.timedOut());
    io.silentAtEnd = false;
    io.setChunks({"+OK par"});
    ASSERT_TRUE(socket.connect(0x0100007F, 110));
    EXPECT_FALSE(socket.readLine(line));
    EXPECT_FALSE(socket.timedOut());
}

TEST(LineSocketTimeout, AConnectThatTimesOutFailsAsTimedOut) {
    ScriptedSocketIo io;
    io.connectTimesOut = true;
    net::LineSocket socket(net::kAfInet, io);
    ASSERT_TRUE(socket.create(net::kSockStream, 0));
    EXPECT_FALSE(socket.connect(0x0100007F, 110));
    EXPECT_TRUE(socket.timedOut());
    std::string line;
    EXPECT_FALSE(socket.readLine(line)) << "no connection to read from";
    EXPECT_EQ(io.receiveCalls, 0);
    io.connectTimesOut = false;
    io.connectFails = true;
    EXPECT_FALSE(socket.connect(0x0100007F, 110));
    EXPECT_FALSE(socket.timedOut()) << "a refused connection is no time-out";
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
    std::string line;
    EXPECT_FALSE(socket.readLine(line)) << "no connection to read from";
    EXPECT_EQ(io.receiveCalls, 0);
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

TEST(LineSocketSend, ATextHoldingALineEndIsRefusedUnsent) {
    ScriptedSocketIo io;
    net::LineSocket socket(net::kAfInet, io);
    openOver(socket);
    for (const char* text : {"PASS secret\r\nDELE 1", "USER a\nb", "USER a\rb", "\r"}) {
        EXPECT_FALSE(socket.sendLine(text)) << text;
    }
    EXPECT_EQ(io.sendCalls, 0);
    EXPECT_EQ(io.closeCalls, 0) << "nothing went wrong on the connection";
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
    EXPECT_EQ(io.closeCalls, 1);
    EXPECT_FALSE(socket.sendLine("QUIT"));
    EXPECT_EQ(io.sendCalls, 2) << "without a socket nothing reaches the platform";
}

}  // namespace

namespace {

// Bytes sent ahead go out only as the socket takes them, between receives, and never ahead of older ones; a send
// that failed while waiting fails the read and leaves the socket closed.
TEST(LineSocketSendAhead, WaitingBytesGoOutWhileTheRepliesAreReadInOrder) {
    for (int perWait : {1, 3, 7, 1000}) {
        SCOPED_TRACE("bytes per wait " + std::to_string(perWait));
        ScriptedSocketIo io;
        io.aheadBytesPerWait = perWait;
        io.chunks = {"+OK 1\r\n", "+OK 2\r\n", "+OK 3\r\n"};
        net::LineSocket socket(net::kAfInet, io);
        openOver(socket);
        const std::string commands = "TOP 1 9\r\nTOP 2 9\r\nTOP 3 9\r\n";
        ASSERT_TRUE(socket.sendAhead(commands));
        EXPECT_EQ(io.sent, commands.substr(0, std::min<std::size_t>(perWait, commands.size())))
            << "no more than the socket took at once";
        ASSERT_TRUE(socket.sendLine("QUIT"));  // behind the waiting bytes
        std::string line;
        for (const char* reply : {"+OK 1", "+OK 2", "+OK 3"}) {
            ASSERT_TRUE(socket.readLine(line));
            EXPECT_EQ(line, reply);
        }
        const std::size_t total = commands.size() + 6;
        EXPECT_EQ(io.sent, (commands + "QUIT\r\n").substr(0, std::min<std::size_t>(total, perWait * 4)));
    }
    ScriptedSocketIo failing;
    failing.aheadBytesPerWait = 2;
    failing.failingSend = 2;
    failing.chunks = {"+OK\r\n"};
    net::LineSocket socket(net::kAfInet, failing);
    openOver(socket);
    ASSERT_TRUE(socket.sendAhead("NOOP\r\nNOOP\r\n"));
    std::string line;
    EXPECT_FALSE(socket.readLine(line));
    EXPECT_FALSE(socket.sendAhead("NOOP\r\n")) << "closed";
}

}  // namespace
