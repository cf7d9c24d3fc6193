#pragma once

#include <cstdint>
#include <vector>

#include "base/lock.h"

// The one seam between the line socket and the platform's socket library (Windows Sockets 1.1 on
// Windows, POSIX sockets elsewhere). Tests substitute their own SocketIo to script what a receive
// returns, chunk by chunk.
//
// Time limits: connectTo and waitReadable take a limit in milliseconds (kNoTimeLimit or any value
// below 1 waits for ever) and tell a time-out apart from a failure. Whoever reads from the socket
// (the line socket, or a layer such as TLS between it and this seam) calls waitReadable with the
// connection's limit before each receive, so that every wait for data ends in time; a receive that
// follows a Ready wait does not block for long. An interrupt from another thread ends a wait or a
// connect promptly, whatever the limit (the wait reports Ready or Failed, and the receive after it fails).
namespace net {

using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

constexpr int kNoTimeLimit = 0;
// What connectTo returns when the server did not accept the connection within the limit.
constexpr int kConnectTimedOut = -2;

enum class WaitResult {
    Ready,     // data, the end of the stream or an error is there to be received
    TimedOut,  // nothing came within the limit
    Failed,    // the socket cannot be waited on (it was closed, for instance)
};

// A peer: an IPv4 address (network byte order) or, when family is the platform's IPv6 family, the 16 bytes
// of an IPv6 address with its scope. The port is a plain number, which the platform layer converts when it
// builds its socket address.
struct PeerAddress {
    int family = 0;
    int port = 0;
    std::uint32_t address = 0;
    unsigned char address6[16] = {};
    std::uint32_t scope6 = 0;
};

class SocketIo {
public:
    virtual ~SocketIo() = default;

    // Counted start and stop of the socket library: the first user starts it, the last one stops it.
    // A failed start is not retried while users remain.
    void acquire();
    void release();
    bool ready() const;

    virtual bool startup() = 0;  // true when the library started
    virtual void cleanup() = 0;
    virtual SocketHandle openSocket(int family, int type, int protocol) = 0;  // kInvalidSocket on failure
    // 0, -1 on failure, or kConnectTimedOut. The socket is blocking again afterwards.
    virtual int connectTo(SocketHandle socket, const PeerAddress& peer, int timeoutMs) = 0;
    // Waits until a receive would not block, or the limit has passed.
    virtual WaitResult waitReadable(SocketHandle socket, int timeoutMs) = 0;
    virtual int receive(SocketHandle socket, char* buffer, int size, int flags) = 0;     // count, 0 at end, -1
    virtual int send(SocketHandle socket, const char* data, int length, int flags) = 0;  // count or -1
    // For a client that must keep reading while it still has bytes to send (commands sent ahead of their
    // replies): waits until a receive or a send would not block, or the limit has passed; Ready tells which
    // through `readable` and `writable`. By default the socket counts as writable at once.
    virtual WaitResult waitReadableOrWritable(SocketHandle socket, int timeoutMs, bool& readable, bool& writable);
    // Sends what the socket takes without waiting: the count, 0 when it takes nothing now, or -1. By default a
    // plain send.
    virtual int sendWithoutWaiting(SocketHandle socket, const char* data, int length);
    // Releases the socket; no other call may be using it.
    virtual int close(SocketHandle socket) = 0;
    // Makes a connect, receive or send that another thread is blocked in (or about to make) fail.
    // True when this released the socket as well (then close must not follow).
    virtual bool interrupt(SocketHandle socket) = 0;
    // The first IPv4 address (network byte order) that the name service gives for a name.
    virtual bool lookupHost(const char* name, std::uint32_t& address) = 0;
    // A dotted IPv4 address read as inet_addr reads it: 0xFFFFFFFF when the text is none.
    virtual std::uint32_t parseDottedAddress(const char* text) = 0;
    // Every address of a name or a literal address (IPv6 and IPv4), in the order the name service gives,
    // for trying one after the other; each with the family to open its socket with. Empty when there is
    // none. By default the one IPv4 address of lookupHost, or the dotted address.
    virtual std::vector<PeerAddress> lookupAddresses(const char* name);

private:
    mutable base::Lock usersMutex;
    int users = 0;
    bool started = false;
};

// The process-wide socket layer of this platform.
SocketIo& platformSocketIo();

}  // namespace net
