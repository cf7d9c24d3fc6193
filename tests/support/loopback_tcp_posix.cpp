#include "tests/support/loopback_tcp.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace testenv::loopback {

namespace {

sockaddr_in loopbackAddress(int port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

void startup() {
}

void cleanup() {
}

Handle listen(int& port, int backlog) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot listen on 127.0.0.1: " << std::strerror(errno);
        return kNone;
    }
    port = ntohs(address.sin_port);
    return fd;
}

Handle connect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to 127.0.0.1:" << port << ": " << std::strerror(errno);
        return kNone;
    }
    return fd;
}

Handle accept(Handle listener) {
    int fd;
    do {
        fd = ::accept(static_cast<int>(listener), nullptr, nullptr);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNone : fd;
}

Handle waitReadable(Handle first, Handle second) {
    pollfd fds[2] = {{static_cast<int>(first), POLLIN, 0}, {static_cast<int>(second), POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    return fds[0].revents != 0 ? first : second;
}

int receive(Handle socket, char* buffer, int size) {
    ssize_t count;
    do {
        count = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), 0);
    } while (count < 0 && errno == EINTR);
    return count < 0 ? -1 : static_cast<int>(count);
}

bool sendAll(Handle socket, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = ::send(static_cast<int>(socket), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void shrinkBuffers(Handle socket, int bytes) {
    for (int option : {SO_SNDBUF, SO_RCVBUF}) {
        setsockopt(static_cast<int>(socket), SOL_SOCKET, option, reinterpret_cast<const char*>(&bytes), sizeof bytes);
    }
}

void close(Handle socket) {
    if (socket != kNone) {
        ::shutdown(static_cast<int>(socket), SHUT_WR);
        ::close(static_cast<int>(socket));
    }
}

}  // namespace testenv::loopback
