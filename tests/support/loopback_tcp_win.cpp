#include "tests/support/loopback_tcp.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <cstring>

namespace testenv::loopback {

namespace {

sockaddr_in loopbackAddress(int port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

SOCKET toSocket(Handle socket) {
    return static_cast<SOCKET>(socket);
}

Handle toHandle(SOCKET socket) {
    return socket == INVALID_SOCKET ? kNone : static_cast<Handle>(socket);
}

}  // namespace

void startup() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        ADD_FAILURE() << "WSAStartup failed";
    }
}

void cleanup() {
    WSACleanup();
}

Handle listen(int& port, int backlog) {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(0);
    int length = sizeof address;
    if (socket == INVALID_SOCKET || ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket, backlog) != 0 || ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot listen on 127.0.0.1: error " << WSAGetLastError();
        return kNone;
    }
    port = ntohs(address.sin_port);
    return toHandle(socket);
}

Handle connect(int port) {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(port);
    if (socket == INVALID_SOCKET || ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to 127.0.0.1:" << port << ": error " << WSAGetLastError();
        return kNone;
    }
    return toHandle(socket);
}

Handle accept(Handle listener) {
    return toHandle(::accept(toSocket(listener), nullptr, nullptr));
}

Handle waitReadable(Handle first, Handle second) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(toSocket(first), &readable);
    FD_SET(toSocket(second), &readable);
    ::select(0, &readable, nullptr, nullptr, nullptr);
    return FD_ISSET(toSocket(first), &readable) ? first : second;
}

int receive(Handle socket, char* buffer, int size) {
    int count = ::recv(toSocket(socket), buffer, size, 0);
    return count == SOCKET_ERROR ? -1 : count;
}

bool sendAll(Handle socket, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        int count = ::send(toSocket(socket), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void shrinkBuffers(Handle socket, int bytes) {
    for (int option : {SO_SNDBUF, SO_RCVBUF}) {
        setsockopt(toSocket(socket), SOL_SOCKET, option, reinterpret_cast<const char*>(&bytes), sizeof bytes);
    }
}

void close(Handle socket) {
    if (socket != kNone) {
        ::shutdown(toSocket(socket), SD_SEND);
        closesocket(toSocket(socket));
    }
}

}  // namespace testenv::loopback
