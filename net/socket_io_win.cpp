#include "net/socket_io.h"

#include <winsock2.h>

#include <cstring>

// Windows Sockets 1.1: started with WSAStartup(0x0101) by the first line socket, cleaned up by the last.
namespace net {

namespace {

class WinsockSocketIo : public SocketIo {
public:
    bool startup() override {
        WSADATA data;
        return WSAStartup(0x0101, &data) == 0;
    }

    void cleanup() override {
        WSACleanup();
    }

    SocketHandle openSocket(int family, int type, int protocol) override {
        SOCKET socket = ::socket(family, type, protocol);
        return socket == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(socket);
    }

    int connectTo(SocketHandle socket, const PeerAddress& peer) override {
        sockaddr_in address;
        std::memset(&address, 0, sizeof address);
        address.sin_family = static_cast<short>(peer.family);
        address.sin_port = htons(static_cast<u_short>(peer.port));
        address.sin_addr.s_addr = peer.address;
        return ::connect(toSocket(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : -1;
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

private:
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
