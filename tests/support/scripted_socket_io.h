#pragma once

#include "net/socket_io.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

// A SocketIo for tests that plays the server from a script, on the calling thread: every receive hands
// out exactly the next chunk, so tests control where the chunk boundaries fall. It records what the
// client sent and counts the calls.
namespace testenv {

class ScriptedSocketIo : public net::SocketIo {
public:
    // --- The script (set before use) ---
    // Each receive returns the next chunk (a chunk bigger than the receive's size is handed out in parts).
    // When none is left the receive gives endResult: 0 = the server closed, -1 = the connection broke.
    std::deque<std::string> chunks;
    // When given (one per chunk): how many bytes the client must have sent before that chunk can arrive, as a
    // server answers only what it received. Until then no wait finds data (a plain wait times out).
    std::deque<std::size_t> chunkNeeds;
    int endResult = 0;
    bool silentAtEnd = false;  // when no chunk is left, every wait for data times out instead
    bool startupFails = false;
    bool socketFails = false;
    bool connectFails = false;
    bool connectTimesOut = false;
    int maxSendBytes = 0;  // > 0: a send takes at most this many bytes (a partial send)
    int failingSend = 0;   // > 0: the send call with this number (1 = the first) fails with -1
    int aheadBytesPerWait =
        0;  // > 0: sends without waiting take this many bytes per wait (and after connecting) in all
    std::map<std::string, std::uint32_t> hosts;  // names the lookup knows (network byte order)

    // --- What happened ---
    std::string sent;                 // every byte the sends took, in order
    std::vector<std::string> writes;  // the bytes of each send call that took any, in order
    net::PeerAddress lastPeer;
    int lastConnectTimeoutMs = -1, lastWaitTimeoutMs = -1;
    int startupCalls = 0, cleanupCalls = 0, socketCalls = 0, connectCalls = 0;
    int waitCalls = 0, receiveCalls = 0, sendCalls = 0, closeCalls = 0, interruptCalls = 0;

    // Receives of chunks, e.g. setChunks({"+OK ready\r", "\n"}).
    void setChunks(std::initializer_list<std::string> list);

    bool startup() override;
    void cleanup() override;
    net::SocketHandle openSocket(int family, int type, int protocol) override;
    int connectTo(net::SocketHandle socket, const net::PeerAddress& peer, int timeoutMs) override;
    net::WaitResult waitReadable(net::SocketHandle socket, int timeoutMs) override;
    int receive(net::SocketHandle socket, char* buffer, int size, int flags) override;
    int send(net::SocketHandle socket, const char* data, int length, int flags) override;
    // Writable at once; readable while chunks are left. Each wait gives the sends without waiting
    // aheadBytesPerWait bytes (when set), so that bytes sent ahead go out a few at a time between receives.
    net::WaitResult waitReadableOrWritable(net::SocketHandle socket,
                                           int timeoutMs,
                                           bool& readable,
                                           bool& writable) override;
    int sendWithoutWaiting(net::SocketHandle socket, const char* data, int length) override;
    int close(net::SocketHandle socket) override;
    bool interrupt(net::SocketHandle socket) override;
    bool lookupHost(const char* name, std::uint32_t& address) override;
    std::uint32_t parseDottedAddress(const char* text) override;

    static constexpr net::SocketHandle kHandle = 7;  // the one handle this io hands out

private:
    int aheadBudget = 0;
};

}  // namespace testenv
