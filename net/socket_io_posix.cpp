#include "net/socket_io.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// After the platform headers above: it uses their socket types.
#include "net/socket_address_conversion.h"

#include <cerrno>
#include <chrono>
#include <cstring>

// POSIX sockets need no library start; a send to a peer that has gone must not raise SIGPIPE.
namespace net {

namespace {

using Clock = std::chrono::steady_clock;

// Polls one descriptor for the events until the limit (below 1: no limit) has passed; a signal does not
// restart the whole wait. The poll result: > 0 an event, 0 the time-out, < 0 an error.
int pollFor(int fd, short events, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd entry{fd, events, 0};
        int result = ::poll(&entry, 1, wait);
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

bool setBlocking(int fd, bool blocking) {
    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    flags = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return ::fcntl(fd, F_SETFL, flags) == 0;
}

class PosixSocketIo : public SocketIo {
public:
    bool startup() override {
        return true;
    }

    void cleanup() override {
    }

    SocketHandle openSocket(int family, int type, int protocol) override {
        int fd = ::socket(family, type, protocol);
        if (fd < 0) {
            return kInvalidSocket;
        }
        // Every write is whole commands: none should wait for the acknowledgement of the one before, as the tail
        // of commands sent ahead otherwise does while the server is busy sending.
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return fd;
    }

    int connectTo(SocketHandle socket, const PeerAddress& peer, int timeoutMs) override {
        sockaddr_storage address;
        socklen_t addressLength = socketAddress(peer, address);
        const int fd = static_cast<int>(socket);
        // Connected without blocking, so that the wait for the server's answer can have a limit.
        if (!setBlocking(fd, false)) {
            return -1;
        }
        int result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), addressLength);
        if (result != 0 && (errno == EINPROGRESS || errno == EINTR)) {
            int ready = pollFor(fd, POLLOUT, timeoutMs);
            int error = 0;
            socklen_t length = sizeof error;
            if (ready == 0) {
                result = kConnectTimedOut;
            } else if (ready > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
                result = 0;
            } else {
                result = -1;
            }
        } else if (result != 0) {
            result = -1;
        }
        if (!setBlocking(fd, true) && result == 0) {
            result = -1;
        }
        return result;
    }

    WaitResult waitReadable(SocketHandle socket, int timeoutMs) override {
        int ready = pollFor(static_cast<int>(socket), POLLIN, timeoutMs);
        if (ready > 0) {
            return WaitResult::Ready;  // also an end, a hang-up or an error, which the receive then reports
        }
        return ready == 0 ? WaitResult::TimedOut : WaitResult::Failed;
    }

    int receive(SocketHandle socket, char* buffer, int size, int flags) override {
        ssize_t count;
        do {
            count = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), flags);
        } while (count < 0 && errno == EINTR);
        return count < 0 ? -1 : static_cast<int>(count);
    }

    int send(SocketHandle socket, const char* data, int length, int flags) override {
        ssize_t count;
        do {
            count = ::send(static_cast<int>(socket), data, static_cast<size_t>(length), flags | MSG_NOSIGNAL);
        } while (count < 0 && errno == EINTR);
        return count < 0 ? -1 : static_cast<int>(count);
    }

    WaitResult waitReadableOrWritable(SocketHandle socket, int timeoutMs, bool& readable, bool& writable) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int wait = -1;
            if (timeoutMs > 0) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                wait = left > 0 ? static_cast<int>(left) : 0;
            }
            pollfd entry{static_cast<int>(socket), POLLIN | POLLOUT, 0};
            int ready = ::poll(&entry, 1, wait);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                return ready == 0 ? WaitResult::TimedOut : WaitResult::Failed;
            }
            // An error or a hang-up counts as readable: the receive then reports it.
            readable = (entry.revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) != 0;
            writable = (entry.revents & POLLOUT) != 0;
            return WaitResult::Ready;
        }
    }

    int sendWithoutWaiting(SocketHandle socket, const char* data, int length) override {
        ssize_t count;
        do {
            count = ::send(static_cast<int>(socket), data, static_cast<size_t>(length), MSG_DONTWAIT | MSG_NOSIGNAL);
        } while (count < 0 && errno == EINTR);
        if (count < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
        }
        return static_cast<int>(count);
    }

    int close(SocketHandle socket) override {
        return ::close(static_cast<int>(socket));
    }

    bool interrupt(SocketHandle socket) override {
        // Unlike close, shutdown wakes a recv or connect blocked on the socket, and the descriptor
        // stays ours until the blocked call has returned.
        ::shutdown(static_cast<int>(socket), SHUT_RDWR);
        return false;
    }

    bool lookupHost(const char* name, std::uint32_t& address) override {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
            return false;
        }
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
        return true;
    }

    std::uint32_t parseDottedAddress(const char* text) override {
        return ::inet_addr(text);
    }

    std::vector<PeerAddress> lookupAddresses(const char* name) override {
        return lookupPeerAddresses(name);
    }

private:
    static socklen_t socketAddress(const PeerAddress& peer, sockaddr_storage& storage) {
        return static_cast<socklen_t>(fillSocketAddress(peer, storage));
    }
};

}  // namespace

SocketIo& platformSocketIo() {
    static PosixSocketIo io;
    return io;
}

}  // namespace net
