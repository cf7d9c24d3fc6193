#include "net/socket_io.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// POSIX sockets need no library start; a send to a peer that has gone must not raise SIGPIPE.
namespace net {

namespace {

class PosixSocketIo : public SocketIo {
public:
    bool startup() override {
        return true;
    }

    void cleanup() override {
    }

    SocketHandle openSocket(int family, int type, int protocol) override {
        int fd = ::socket(family, type, protocol);
        return fd < 0 ? kInvalidSocket : fd;
    }

    int connectTo(SocketHandle socket, const PeerAddress& peer) override {
        sockaddr_in address;
        std::memset(&address, 0, sizeof address);
        address.sin_family = static_cast<sa_family_t>(peer.family);
        address.sin_port = htons(static_cast<std::uint16_t>(peer.port));
        address.sin_addr.s_addr = peer.address;
        int result;
        do {
            result = ::connect(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), sizeof address);
        } while (result != 0 && errno == EINTR);
        return result == 0 ? 0 : -1;
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
};

}  // namespace

SocketIo& platformSocketIo() {
    static PosixSocketIo io;
    return io;
}

}  // namespace net
