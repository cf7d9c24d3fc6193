#include "net/socket_io.h"

#include <winsock2.h>
#include <ws2tcpip.h>

// After the platform headers above: it uses their socket types.
#include "net/socket_address_conversion.h"

#include <algorithm>
#include <chrono>
#include <cstring>

// Windows Sockets 2 (for getaddrinfo and IPv6): started with WSAStartup(2.2) by the first line socket, cleaned up
// by the last.
namespace net {

namespace {

using Clock = std::chrono::steady_clock;

// A select on a socket that another thread closes may not wake up, so long waits are taken in slices:
// the select after the close fails at once.
constexpr int kSliceMs = 200;

enum class SelectFor { Reading, Connecting };

// How long the next select may wait: a slice, or what is left before the deadline when a limit is set (below 1:
// none); -1 once the deadline has passed.
int nextSlice(Clock::time_point deadline, int timeoutMs) {
    if (timeoutMs <= 0) {
        return kSliceMs;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? -1 : static_cast<int>(std::min<long long>(left, kSliceMs));
}

// Waits in slices until the socket is readable (or, when connecting, writable or failed), the limit (below
// 1: none) has passed, or a select fails. For Connecting, Ready means connected and Failed a refusal.
WaitResult selectFor(SOCKET socket, SelectFor what, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int slice = nextSlice(deadline, timeoutMs);
        if (slice < 0) {
            return WaitResult::TimedOut;
        }
        fd_set wanted;
        fd_set failed;
        FD_ZERO(&wanted);
        FD_ZERO(&failed);
        FD_SET(socket, &wanted);
        FD_SET(socket, &failed);
        timeval wait{slice / 1000, (slice % 1000) * 1000};
        int result = what == SelectFor::Reading ? select(0, &wanted, nullptr, &failed, &wait)
                                                : select(0, nullptr, &wanted, &failed, &wait);
        if (result == SOCKET_ERROR) {
            return WaitResult::Failed;
        }
        if (result > 0) {
            // A reader receives the error itself; a connect that failed shows only here.
            return what == SelectFor::Connecting && FD_ISSET(socket, &failed) ? WaitResult::Failed : WaitResult::Ready;
        }
    }
}

// Waits in slices, as selectFor does, until the socket is readable or writable (an error counts as readable: the
// receive reports it).
WaitResult selectEither(SOCKET socket, int timeoutMs, bool& readable, bool& writable) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int slice = nextSlice(deadline, timeoutMs);
        if (slice < 0) {
            return WaitResult::TimedOut;
        }
        fd_set reading;
        fd_set sending;
        fd_set failed;
        FD_ZERO(&reading);
        FD_ZERO(&sending);
        FD_ZERO(&failed);
        FD_SET(socket, &reading);
        FD_SET(socket, &sending);
        FD_SET(socket, &failed);
        timeval wait{slice / 1000, (slice % 1000) * 1000};
        int result = select(0, &reading, &sending, &failed, &wait);
        if (result == SOCKET_ERROR) {
            return WaitResult::Failed;
        }
        if (result > 0) {
            readable = FD_ISSET(socket, &reading) || FD_ISSET(socket, &failed);
            writable = FD_ISSET(socket, &sending);
            return WaitResult::Ready;
        }
    }
}

class WinsockSocketIo : public SocketIo {
public:
    bool startup() override {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }

    void cleanup() override {
        WSACleanup();
    }

    SocketHandle openSocket(int family, int type, int protocol) override {
        SOCKET socket = ::socket(family, type, protocol);
        if (socket == INVALID_SOCKET) {
            return kInvalidSocket;
        }
        // Every write is whole commands: none should wait for the acknowledgement of the one before, as the tail
        // of commands sent ahead otherwise does while the server is busy sending.
        BOOL on = TRUE;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        return static_cast<SocketHandle>(socket);
    }

    int connectTo(SocketHandle socket, const PeerAddress& peer, int timeoutMs) override {
        sockaddr_storage address;
        int addressLength = socketAddress(peer, address);
        // Connected without blocking, so that the wait for the server's answer can have a limit.
        u_long nonBlocking = 1;
        if (ioctlsocket(toSocket(socket), FIONBIO, &nonBlocking) == SOCKET_ERROR) {
            return -1;
        }
        int result = 0;
        if (::connect(toSocket(socket), reinterpret_cast<sockaddr*>(&address), addressLength) == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                result = -1;
            } else {
                switch (selectFor(toSocket(socket), SelectFor::Connecting, timeoutMs)) {
                    case WaitResult::Ready:
                        result = 0;
                        break;
                    case WaitResult::TimedOut:
                        result = kConnectTimedOut;
                        break;
                    case WaitResult::Failed:
                        result = -1;
                        break;
                }
            }
        }
        u_long blocking = 0;
        if (ioctlsocket(toSocket(socket), FIONBIO, &blocking) == SOCKET_ERROR && result == 0) {
            result = -1;
        }
        return result;
    }

    WaitResult waitReadable(SocketHandle socket, int timeoutMs) override {
        return selectFor(toSocket(socket), SelectFor::Reading, timeoutMs);
    }

    int receive(SocketHandle socket, char* buffer, int size, int flags) override {
        int count = ::recv(toSocket(socket), buffer, size, flags);
        return count == SOCKET_ERROR ? -1 : count;
    }

    int send(SocketHandle socket, const char* data, int length, int flags) override {
        int count = ::send(toSocket(socket), data, length, flags);
        return count == SOCKET_ERROR ? -1 : count;
    }

    WaitResult waitReadableOrWritable(SocketHandle socket, int timeoutMs, bool& readable, bool& writable) override {
        return selectEither(toSocket(socket), timeoutMs, readable, writable);
    }

    int sendWithoutWaiting(SocketHandle socket, const char* data, int length) override {
        // Windows Sockets has no per-call flag for this: the socket is non-blocking for this one send only.
        u_long nonBlocking = 1;
        if (ioctlsocket(toSocket(socket), FIONBIO, &nonBlocking) == SOCKET_ERROR) {
            return -1;
        }
        int count = ::send(toSocket(socket), data, length, 0);
        const bool wouldBlock = count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
        u_long blocking = 0;
        if (ioctlsocket(toSocket(socket), FIONBIO, &blocking) == SOCKET_ERROR) {
            return -1;
        }
        if (count == SOCKET_ERROR) {
            return wouldBlock ? 0 : -1;
        }
        return count;
    }

    int close(SocketHandle socket) override {
        return closesocket(toSocket(socket));
    }

    bool interrupt(SocketHandle socket) override {
        // Only closesocket reliably ends a connect or recv blocked in another thread.
        closesocket(toSocket(socket));
        return true;
    }

    bool lookupHost(const char* name, std::uint32_t& address) override {
        hostent* host = gethostbyname(name);
        if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr) {
            return false;
        }
        std::memcpy(&address, host->h_addr_list[0], sizeof address);
        return true;
    }

    std::uint32_t parseDottedAddress(const char* text) override {
        return inet_addr(text);
    }

    std::vector<PeerAddress> lookupAddresses(const char* name) override {
        return lookupPeerAddresses(name);
    }

private:
    static int socketAddress(const PeerAddress& peer, sockaddr_storage& storage) {
        return static_cast<int>(fillSocketAddress(peer, storage));
    }

    static SOCKET toSocket(SocketHandle socket) {
        return static_cast<SOCKET>(socket);
    }
};

}  // namespace

SocketIo& platformSocketIo() {
    static WinsockSocketIo io;
    return io;
}

}  // namespace net
