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
        sockaddr_storage address;
        socklen_t length = socketAddress(peer, address);
        int result;
        do {
            result = ::connect(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), length);
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

    std::vector<PeerAddress> lookupAddresses(const char* name) override {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        std::vector<PeerAddress> peers;
        if (::getaddrinfo(name, nullptr, &hints, &found) != 0) {
            return peers;
        }
        for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            PeerAddress peer;
            peer.family = entry->ai_family;
            if (entry->ai_family == AF_INET) {
                peer.address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
            } else if (entry->ai_family == AF_INET6) {
                const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
                std::memcpy(peer.address6, &v6->sin6_addr, sizeof peer.address6);
                peer.scope6 = v6->sin6_scope_id;
            } else {
                continue;
            }
            peers.push_back(peer);
        }
        ::freeaddrinfo(found);
        return peers;
    }

private:
    static socklen_t socketAddress(const PeerAddress& peer, sockaddr_storage& storage) {
        std::memset(&storage, 0, sizeof storage);
        if (peer.family == AF_INET6) {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(static_cast<std::uint16_t>(peer.port));
            std::memcpy(&v6->sin6_addr, peer.address6, sizeof peer.address6);
            v6->sin6_scope_id = peer.scope6;
            return sizeof(sockaddr_in6);
        }
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = static_cast<sa_family_t>(peer.family);
        v4->sin_port = htons(static_cast<std::uint16_t>(peer.port));
        v4->sin_addr.s_addr = peer.address;
        return sizeof(sockaddr_in);
    }
};

}  // namespace

SocketIo& platformSocketIo() {
    static PosixSocketIo io;
    return io;
}

}  // namespace net
