#include "net/socket_io.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

// Windows Sockets 2 (for getaddrinfo and IPv6): started with WSAStartup(2.2) by the first line socket, cleaned up
// by the last.
namespace net {

namespace {

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
        return socket == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(socket);
    }

    int connectTo(SocketHandle socket, const PeerAddress& peer) override {
        sockaddr_storage address;
        int length = socketAddress(peer, address);
        return ::connect(toSocket(socket), reinterpret_cast<sockaddr*>(&address), length) == 0 ? 0 : -1;
    }

    int receive(SocketHandle socket, char* buffer, int size, int flags) override {
        int count = ::recv(toSocket(socket), buffer, size, flags);
        return count == SOCKET_ERROR ? -1 : count;
    }

    int send(SocketHandle socket, const char* data, int length, int flags) override {
        int count = ::send(toSocket(socket), data, length, flags);
        return count == SOCKET_ERROR ? -1 : count;
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
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        std::vector<PeerAddress> peers;
        if (getaddrinfo(name, nullptr, &hints, &found) != 0) {
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
        freeaddrinfo(found);
        return peers;
    }

private:
    static int socketAddress(const PeerAddress& peer, sockaddr_storage& storage) {
        std::memset(&storage, 0, sizeof storage);
        if (peer.family == AF_INET6) {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(static_cast<u_short>(peer.port));
            std::memcpy(&v6->sin6_addr, peer.address6, sizeof peer.address6);
            v6->sin6_scope_id = peer.scope6;
            return sizeof(sockaddr_in6);
        }
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = static_cast<short>(peer.family);
        v4->sin_port = htons(static_cast<u_short>(peer.port));
        v4->sin_addr.s_addr = peer.address;
        return sizeof(sockaddr_in);
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
